#pragma once

// Model queries: a query searches the live elements of a model (or of a part of it) for
// elements of a class that meet conditions on their properties.
//
//   query::ModelQuery query;
//   UUIDMapEntry::Constrainables entries(query, UUIDMapEntry::metaClass(),
//                                        query::SearchClassMatchMode::CONFORMING);
//   entries.Key.equals(k);                       // conditions add up (all must hold)
//   std::vector<ModelElement> found = query.findIn(model);
//
// The generated query class of each element class (ModelElement::Constrainables) has one
// member per property, bound to the query (InstanceAttachment): calling one of its condition
// operations adds the condition to the query. Each class also has static accessors bound to
// the class itself (MetaclassAttachment): their condition operations return the condition,
// restricted to elements of that class, for combining and for relation conditions:
//
//   query.addCondition(UUIDMap::pairs().contains(UUIDMapEntry::key().equals(k)));
//
// Property values are read by reflection (getPropertyValue with NO_PROXY_RESOLVE, then
// Value::getValue<T>), so a condition on a property of type T needs the typed-value support
// of T. Relation conditions follow containment: they see the elements an element contains
// under the relation's property. Queries never change the model and never resolve proxies;
// proxies are never found. Results come in ascending UUID order.
//
// A class's element UUID takes part through its constant ElementUuidAttribute (Handle::Uuid()):
//
//   query.addCondition(UUIDMapEntry::Uuid().equals(id) || UUIDMapEntry::key().equals(k));

#include <algorithm>
#include <boost/uuid/uuid.hpp>
#include <functional>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/value.hpp"

namespace korm::zero::query {

/// How a query matches an element's class against the searched class.
enum class SearchClassMatchMode {
    /// The element's class conforms to the searched class (it or a subclass).
    CONFORMING,
    /// The element's class is the searched class itself.
    EXACT,
};

/// What one evaluation of a query knows of the model: the contents of containers under a
/// property, gathered once per evaluation on first need.
class KORM_ZERO_EXPORT EvaluationContext {
  public:
    explicit EvaluationContext(Model model);
    Model const& getModel() const noexcept { return m_model; }
    /// The live elements `container` contains under `property`.
    std::vector<ModelElement::Impl*> contents(ModelElement::Impl const& container,
                                              meta::Property const& property);

  private:
    Model m_model;
    bool m_built = false;
    std::unordered_map<ModelElement::Impl const*, std::vector<ModelElement::Impl*>> m_children;
};

/// A test of one element. Conditions combine with &&, || and !. A default-constructed
/// condition holds for every element.
class KORM_ZERO_EXPORT Condition {
  public:
    using Test = std::function<bool(ModelElement::Impl const& element, EvaluationContext& context)>;

    Condition() = default;
    explicit Condition(Test test) : m_test(std::move(test)) {}

    bool operator()(ModelElement::Impl const& element, EvaluationContext& context) const {
        return !m_test || m_test(element, context);
    }
    friend KORM_ZERO_EXPORT Condition operator&&(Condition a, Condition b);
    friend KORM_ZERO_EXPORT Condition operator||(Condition a, Condition b);
    friend KORM_ZERO_EXPORT Condition operator!(Condition a);

    /// The elements whose class matches `metaClass` in `mode`.
    static Condition ofClass(meta::Class metaClass, SearchClassMatchMode mode);

  private:
    Test m_test;
};

/// Whether `element`'s class matches `metaClass` in `mode`.
KORM_ZERO_EXPORT bool classMatches(ModelElement::Impl const& element, meta::Class const& metaClass,
                                   SearchClassMatchMode mode);

/// A query: the searched class with its match mode and the conditions that must all hold.
/// Subclasses say which elements are looked at (candidates).
class KORM_ZERO_EXPORT AbstractQuery {
  public:
    AbstractQuery() = default;
    AbstractQuery(AbstractQuery const&) = delete;
    AbstractQuery& operator=(AbstractQuery const&) = delete;
    virtual ~AbstractQuery();

    /// Searches elements of `metaClass` (an empty handle: elements of any class).
    void setSearchClass(meta::Class metaClass, SearchClassMatchMode mode);
    meta::Class const& getSearchClass() const noexcept { return m_class; }
    SearchClassMatchMode getMatchMode() const noexcept { return m_mode; }
    /// The argument of the generated query classes' own-class constructors.
    std::pair<AbstractQuery&, SearchClassMatchMode const> withMode(SearchClassMatchMode mode) {
        return {*this, mode};
    }

    void addCondition(Condition condition);
    std::size_t getConditionCount() const noexcept { return m_conditions.size(); }

    /// Whether `element` is a live element of the searched class meeting every condition.
    bool matches(ModelElement::Impl const& element, EvaluationContext& context) const;
    /// The matching elements among the candidates in `model`, in ascending UUID order.
    std::vector<ModelElement> findIn(Model const& model) const;

  protected:
    /// The elements of `model` the query looks at.
    virtual std::vector<ModelElement> candidates(Model const& model) const = 0;

  private:
    meta::Class m_class;
    SearchClassMatchMode m_mode = SearchClassMatchMode::CONFORMING;
    std::vector<Condition> m_conditions;
};

/// Looks at every live element of the model.
class KORM_ZERO_EXPORT ModelQuery : public AbstractQuery {
  protected:
    std::vector<ModelElement> candidates(Model const& model) const override;
};

/// Looks at the elements contained, directly or not, in one element.
class KORM_ZERO_EXPORT ContentsQuery : public AbstractQuery {
  public:
    explicit ContentsQuery(ModelElement root) : m_root(std::move(root)) {}
    ModelElement const& getRoot() const noexcept { return m_root; }

  protected:
    std::vector<ModelElement> candidates(Model const& model) const override;

  private:
    ModelElement m_root;
};

/// Binds a property's condition operations to a query: each adds its condition to the query
/// and returns the query.
class KORM_ZERO_EXPORT InstanceAttachment {
  public:
    using Result = AbstractQuery&;
    explicit InstanceAttachment(AbstractQuery& query) noexcept : m_query(&query) {}
    /// Bound to the query of a query-class object.
    explicit InstanceAttachment(ModelElement::Constrainables const& constrainables) noexcept;
    AbstractQuery& getQuery() const noexcept { return *m_query; }
    Result attach(Condition condition) const {
        m_query->addCondition(std::move(condition));
        return *m_query;
    }

  private:
    AbstractQuery* m_query;
};

/// Binds a property's condition operations to the class Handle (a handle class with a static
/// metaClass()): each returns its condition, restricted to elements of that class (or a
/// subclass).
template <class Handle>
class MetaclassAttachment {
  public:
    using Result = Condition;
    static meta::Class getMetaClass() { return Handle::metaClass(); }
    Result attach(Condition condition) const {
        return Condition::ofClass(getMetaClass(), SearchClassMatchMode::CONFORMING) &&
               std::move(condition);
    }
};

/// The conditions on a property holding values of type T.
template <class T, class Attachment>
class ConstrainableWithAttachment {
  public:
    ConstrainableWithAttachment(meta::Property property, Attachment attachment)
        : m_property(std::move(property)), m_attachment(std::move(attachment)) {}

    meta::Property const& getProperty() const noexcept { return m_property; }
    Attachment const& getAttachment() const noexcept { return m_attachment; }

    /// The element's value of the property.
    static T read(ModelElement::Impl const& element, meta::Property const& property) {
        return element.getPropertyValue(property, NO_PROXY_RESOLVE).template getValue<T>();
    }
    /// The value satisfies `predicate`.
    typename Attachment::Result satisfies(std::function<bool(T const&)> predicate) const {
        return m_attachment.attach(
            Condition([property = m_property, predicate = std::move(predicate)](
                          ModelElement::Impl const& element, EvaluationContext&) {
                return predicate(read(element, property));
            }));
    }
    typename Attachment::Result equals(T value) const {
        return satisfies([value = std::move(value)](T const& v) { return v == value; });
    }
    typename Attachment::Result notEquals(T value) const {
        return satisfies([value = std::move(value)](T const& v) { return !(v == value); });
    }
    typename Attachment::Result isIn(std::vector<T> values) const {
        return satisfies([values = std::move(values)](T const& v) {
            return std::find(values.begin(), values.end(), v) != values.end();
        });
    }

  private:
    meta::Property m_property;
    Attachment m_attachment;
};

/// The conditions on a containment relation holding elements of class Handle.
template <class Handle, class Attachment>
class ConstrainableRelationWithAttachment {
  public:
    ConstrainableRelationWithAttachment(meta::Property property, Attachment attachment)
        : m_property(std::move(property)), m_attachment(std::move(attachment)) {}

    meta::Property const& getProperty() const noexcept { return m_property; }
    Attachment const& getAttachment() const noexcept { return m_attachment; }

    /// Some element held in the relation meets `inner`.
    typename Attachment::Result contains(Condition inner) const {
        return m_attachment.attach(
            Condition([property = m_property, inner = std::move(inner)](
                          ModelElement::Impl const& element, EvaluationContext& context) {
                for (ModelElement::Impl* held : context.contents(element, property)) {
                    if (inner(*held, context)) {
                        return true;
                    }
                }
                return false;
            }));
    }
    /// That very element is held in the relation.
    typename Attachment::Result contains(ModelElement const& held) const {
        ModelElement::Impl const* const target = held.getImpl();
        return m_attachment.attach(Condition(
            [property = m_property, target](ModelElement::Impl const& element, EvaluationContext&) {
                return target != nullptr && target->basicContainer() == &element &&
                       target->containmentFeature() == property;
            }));
    }
    /// The relation holds no element.
    typename Attachment::Result isEmpty() const {
        return m_attachment.attach(Condition(
            [property = m_property](ModelElement::Impl const& element, EvaluationContext& context) {
                return context.contents(element, property).empty();
            }));
    }

  private:
    meta::Property m_property;
    Attachment m_attachment;
};

/// The element-UUID attribute of the elements of class Handle: conditions on an element's own
/// UUID (getUuid), restricted to elements of that class (or a subclass), as the static
/// property accessors' are. It has no state and needs no construction at run time, so each
/// generated class hands out one constant instance (Handle::Uuid()).
template <class Handle>
class ElementUuidAttribute {
  public:
    constexpr ElementUuidAttribute() noexcept = default;

    Condition equals(boost::uuids::uuid const& id) const {
        return MetaclassAttachment<Handle>().attach(
            Condition([id](ModelElement::Impl const& element, EvaluationContext&) {
                return element.getUuid() == id;
            }));
    }
    Condition isIn(std::vector<boost::uuids::uuid> ids) const {
        return MetaclassAttachment<Handle>().attach(Condition(
            [ids = std::move(ids)](ModelElement::Impl const& element, EvaluationContext&) {
                return std::find(ids.begin(), ids.end(), element.getUuid()) != ids.end();
            }));
    }
};

}  // namespace korm::zero::query

namespace korm::zero {

/// The base of the generated query classes: it makes `query` search elements of
/// `metaClass` in `mode`; the generated class adds one constrainable member per property.
class KORM_ZERO_EXPORT ModelElement::Constrainables {
  public:
    Constrainables(query::AbstractQuery& query, meta::Class const& metaClass,
                   query::SearchClassMatchMode mode);
    Constrainables(Constrainables const&) = delete;
    Constrainables& operator=(Constrainables const&) = delete;
    virtual ~Constrainables();

    query::AbstractQuery& getQuery() const noexcept { return m_query; }

  private:
    query::AbstractQuery& m_query;
};

}  // namespace korm::zero
