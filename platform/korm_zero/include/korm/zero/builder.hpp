#pragma once

// ModelElement::Builder, the base of every class's builder, and its Orchestrator, which
// creates a tree of nested builders' elements once each and commits them together.

#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/transaction.hpp"
#include "korm/zero/value.hpp"

namespace korm::zero {

/// Collects property values and nested builders for one element, then creates it.
///
/// A class's builder overrides setOrAdd for its own properties (setting the given-property
/// bit of each property it takes) and doCreate, which makes the element. doCreate follows one
/// pattern: a builder that takes part in another builder's creation (getOrchestrator() is set)
/// returns the element it already made in that creation (getCreatedElement), or makes it;
/// a top-level builder makes an Orchestrator for itself, makes its element, has its nested
/// builders make theirs (registering each with addBuilder and calling its create), commits
/// the orchestrator and returns the element. "Making the element" is: construct the record
/// with Impl(builder, uuid), take a handle and, unless `unannounced`, announce it with
/// notifyCreated() and create the nested elements.
///
/// A builder is used by one thread; it must outlive the creations it takes part in.
class KORM_ZERO_EXPORT ModelElement::Builder {
  public:
    class Orchestrator;

    /// `bitCount` is the class's property count plus one, the size of the given-property bit
    /// set. Without a model one must be given with setModel before create (or the builder is
    /// nested, and takes the top-level builder's model when registered).
    explicit Builder(std::size_t bitCount);
    Builder(Model const& model, std::size_t bitCount);
    Builder(Builder const&) = delete;
    Builder& operator=(Builder const&) = delete;
    virtual ~Builder();

    /// The class object of the elements this builder makes.
    virtual meta::Class getMetaClass() const = 0;
    /// Gives a property value. The framework's version handles no property and reports
    /// UnknownProperty (class and property names); nothing is stored, no bit set.
    virtual void setOrAdd(meta::Property const& property, Value const& value);
    /// Gives a nested builder for a containment. The framework's version handles no
    /// property, reports UnknownProperty and leaves the builder with the caller.
    virtual void setOrAdd(meta::Property const& property, std::unique_ptr<Builder>& builder);

    void setModel(Model const& model);
    Model const& getModel() const noexcept { return m_model; }
    std::size_t getBitCount() const noexcept { return m_given.size(); }
    /// Whether the property of that index was given (false for an index past the bit count).
    bool isGiven(std::size_t index) const noexcept;
    /// Marks the property of that index given; an index past the bit count reports
    /// std::out_of_range (a class's builder with a wrong bit count).
    void setGiven(std::size_t index);

    /// Creates the element (and, through the class's cascade, what it owns) with that UUID;
    /// the nil UUID gets a fresh one. A builder taking part in an orchestrated creation makes
    /// its element once: later calls in the same creation return that element. When the
    /// creation fails, the exception passes on and the model is as before.
    ModelElement create(boost::uuids::uuid const& id);
    /// Makes the element without announcing it and without its nested elements
    /// (doCreate(true, id)): the record is outside the model and invalid until the caller
    /// announces it (notifyCreated inside a transaction, or announceAsProxy). This is how
    /// the framework makes proxies of a class known only by its class object.
    ModelElement createUnannounced(boost::uuids::uuid const& id);

    /// The orchestrator of the creation this builder takes part in, or null.
    Orchestrator* getOrchestrator() const noexcept { return m_orchestrator; }

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

/// Runs one orchestrated creation.
///
/// Constructed by a top-level builder's doCreate, it opens a transaction on the builder's
/// model (nested in an open one) and becomes the builder's orchestrator. Nested builders
/// registered with addBuilder take part in the creation (and take the top-level builder's
/// model when they have none); each makes its element once (getCreatedElement). commit()
/// commits the transaction, making the whole creation final. Destroyed without commit, it
/// rolls the transaction back, so that a failed creation leaves nothing behind: the elements
/// made are no longer in the model and are invalid. Either way its destruction ends the
/// creation: the builders forget it, and a later create makes new elements.
class KORM_ZERO_EXPORT ModelElement::Builder::Orchestrator {
  public:
    /// Reports CannotCreateWithoutModel when `topLevel` has no model.
    explicit Orchestrator(Builder& topLevel);
    Orchestrator(Orchestrator const&) = delete;
    Orchestrator& operator=(Orchestrator const&) = delete;
    ~Orchestrator();

    void addBuilder(Builder& builder);
    /// The element `builder` made in this creation, or an empty handle.
    ModelElement getCreatedElement(Builder const& builder) const;
    void setCreatedElement(Builder const& builder, ModelElement const& element);
    void commit();
    bool isCommitted() const noexcept { return m_committed; }
    Builder& getTopLevel() const noexcept { return m_topLevel; }

  private:
    friend class Builder;
    void forget(Builder& builder) noexcept;

    Builder& m_topLevel;
    Orchestrator* m_previous;  // the top-level builder's orchestrator before this one
    std::vector<Builder*> m_builders;
    std::unordered_map<Builder const*, ModelElement> m_created;
    Transaction m_transaction;
    bool m_committed = false;
};

}  // namespace korm::zero
