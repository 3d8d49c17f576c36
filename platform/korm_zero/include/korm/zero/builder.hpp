#pragma once

// ModelElement::Builder, the base of every class's builder, and its Orchestrator, which
// creates a tree of nested builders' elements once each and commits them together.
//
// Declared here for the element layer; defined with the builders.

#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <memory>
#include <vector>

#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/value.hpp"

namespace korm::zero {

class KORM_ZERO_EXPORT ModelElement::Builder {
  public:
    class Orchestrator;

    /// `bitCount` is the class's property count plus one, the size of the given-property bit
    /// set. Without a model one must be given with setModel before create.
    explicit Builder(std::size_t bitCount);
    Builder(Model const& model, std::size_t bitCount);
    Builder(Builder const&) = delete;
    Builder& operator=(Builder const&) = delete;
    virtual ~Builder();

    /// The class object of the elements this builder makes.
    virtual meta::Class getMetaClass() const = 0;
    /// Gives a property value. The framework's version handles no property and reports
    /// UnknownProperty.
    virtual void setOrAdd(meta::Property const& property, Value const& value);
    /// Gives a nested builder for a containment. The framework's version handles no
    /// property, reports UnknownProperty and leaves the builder with the caller.
    virtual void setOrAdd(meta::Property const& property, std::unique_ptr<Builder>& builder);

    void setModel(Model const& model);
    Model const& getModel() const noexcept;
    bool isGiven(std::size_t index) const noexcept;
    void setGiven(std::size_t index);

    /// Creates the element (and, through the class's cascade, what it owns) with that UUID;
    /// the nil UUID gets a fresh one.
    ModelElement create(boost::uuids::uuid const& id);

    /// The orchestrator of the creation this builder takes part in, or null.
    Orchestrator* getOrchestrator() const noexcept;

  protected:
    /// Makes the element: with `unannounced` true the element is made without announcement
    /// and without its nested elements.
    virtual ModelElement doCreate(bool unannounced, boost::uuids::uuid const& id) = 0;

  private:
    friend class Orchestrator;
    Model m_model;
    std::vector<bool> m_given;
    Orchestrator* m_orchestrator = nullptr;
};

/// Runs one orchestrated creation: nested builders registered with addBuilder make their
/// elements once (getCreatedElement), and commit makes the whole creation final.
class KORM_ZERO_EXPORT ModelElement::Builder::Orchestrator {
  public:
    explicit Orchestrator(Builder& topLevel);
    Orchestrator(Orchestrator const&) = delete;
    Orchestrator& operator=(Orchestrator const&) = delete;
    ~Orchestrator();

    void addBuilder(Builder& builder);
    /// The element `builder` made in this creation, or an empty handle.
    ModelElement getCreatedElement(Builder const& builder) const;
    void setCreatedElement(Builder const& builder, ModelElement const& element);
    void commit();
};

}  // namespace korm::zero
