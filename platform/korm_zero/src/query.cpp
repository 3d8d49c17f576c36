// Queries: conditions, evaluation contexts, the query bases and the query-class base.

#include "korm/zero/query.hpp"

#include <boost/uuid/uuid.hpp>

#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/model_impl.hpp"

namespace korm::zero::query {

// ---- evaluation context -----------------------------------------------------------------

EvaluationContext::EvaluationContext(Model model) : m_model(std::move(model)) {}

std::vector<ModelElement::Impl*> EvaluationContext::contents(ModelElement::Impl const& container,
                                                             meta::Property const& property) {
    if (!m_built) {
        // One pass over the model: who contains whom. Queries run without changing the
        // model, so the table stays right for the whole evaluation.
        m_built = true;
        if (m_model) {
            for (ModelElement const& element : m_model->getElements()) {
                if (ModelElement::Impl* const up = element->basicContainer()) {
                    m_children[up].push_back(element.getImpl());
                }
            }
        }
    }
    std::vector<ModelElement::Impl*> result;
    auto const it = m_children.find(&container);
    if (it != m_children.end()) {
        for (ModelElement::Impl* child : it->second) {
            if (child->containmentFeature() == property) {
                result.push_back(child);
            }
        }
    }
    return result;
}

// ---- conditions -------------------------------------------------------------------------

Condition operator&&(Condition a, Condition b) {
    return Condition([a = std::move(a), b = std::move(b)](ModelElement::Impl const& element,
                                                          EvaluationContext& context) {
        return a(element, context) && b(element, context);
    });
}

Condition operator||(Condition a, Condition b) {
    return Condition([a = std::move(a), b = std::move(b)](ModelElement::Impl const& element,
                                                          EvaluationContext& context) {
        return a(element, context) || b(element, context);
    });
}

Condition operator!(Condition a) {
    return Condition(
        [a = std::move(a)](ModelElement::Impl const& element, EvaluationContext& context) {
            return !a(element, context);
        });
}

Condition Condition::ofClass(meta::Class metaClass, SearchClassMatchMode mode) {
    return Condition([metaClass = std::move(metaClass), mode](ModelElement::Impl const& element,
                                                              EvaluationContext&) {
        return classMatches(element, metaClass, mode);
    });
}

bool classMatches(ModelElement::Impl const& element, meta::Class const& metaClass,
                  SearchClassMatchMode mode) {
    if (metaClass.isEmpty()) {
        return true;
    }
    meta::Class const own = element.getMetaClass();
    if (own.isEmpty()) {
        return false;
    }
    return mode == SearchClassMatchMode::EXACT ? own == metaClass
                                               : own.getClassImpl()->conformsTo(metaClass);
}

// ---- queries ----------------------------------------------------------------------------

AbstractQuery::~AbstractQuery() = default;

void AbstractQuery::setSearchClass(meta::Class metaClass, SearchClassMatchMode mode) {
    m_class = std::move(metaClass);
    m_mode = mode;
}

void AbstractQuery::addCondition(Condition condition) {
    m_conditions.push_back(std::move(condition));
}

bool AbstractQuery::matches(ModelElement::Impl const& element, EvaluationContext& context) const {
    if (!element.isLive() || !classMatches(element, m_class, m_mode)) {
        return false;
    }
    return std::all_of(m_conditions.begin(), m_conditions.end(),
                       [&](Condition const& condition) { return condition(element, context); });
}

std::vector<ModelElement> AbstractQuery::findIn(Model const& model) const {
    std::vector<ModelElement> found;
    if (!model) {
        return found;
    }
    EvaluationContext context(model);
    for (ModelElement& element : candidates(model)) {
        if (!element.isEmpty() && matches(*element.getImpl(), context)) {
            found.push_back(std::move(element));
        }
    }
    std::sort(found.begin(), found.end(), [](ModelElement const& a, ModelElement const& b) {
        return a->getUuid() < b->getUuid();
    });
    return found;
}

std::vector<ModelElement> ModelQuery::candidates(Model const& model) const {
    return model->getElements();
}

std::vector<ModelElement> ContentsQuery::candidates(Model const& model) const {
    std::vector<ModelElement> inside;
    if (m_root.isEmpty() || m_root->getModelImpl() != model.getImpl()) {
        return inside;
    }
    for (ModelElement& element : model->getElements()) {
        for (ModelElement::Impl* up = element->basicContainer(); up != nullptr;
             up = up->basicContainer()) {
            if (up == m_root.getImpl()) {
                inside.push_back(std::move(element));
                break;
            }
        }
    }
    return inside;
}

InstanceAttachment::InstanceAttachment(ModelElement::Constrainables const& constrainables) noexcept
    : m_query(&constrainables.getQuery()) {}

}  // namespace korm::zero::query

namespace korm::zero {

ModelElement::Constrainables::Constrainables(query::AbstractQuery& query,
                                             meta::Class const& metaClass,
                                             query::SearchClassMatchMode mode)
    : m_query(query) {
    m_query.setSearchClass(metaClass, mode);
}

ModelElement::Constrainables::~Constrainables() = default;

}  // namespace korm::zero
