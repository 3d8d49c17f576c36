#pragma once

// Forward declarations of the framework's public types.

namespace korm::zero {

class ElementImpl;
class ModelElement;
class Model;
class Transaction;
class ModelListener;
class ModelChangeEvent;
class ProxyId;
class OpenModels;
class Value;
class ValueMeta;

class AbstractOwnedCollection;
class ReferenceCollection;
class GenericCollectionInterface;
class GenericSequenceInterface;
class GenericMapInterface;
class GenericMultimapInterface;
class SaturatedBloomFilter;

namespace meta {
class Type;
class Class;
class TypedElement;
class Property;
class Operation;
class Argument;
class Package;
class MetaRegistry;
class AbstractMetaPackage;
class AbstractMethodInvoker;
class PropertySerializerRegistry;
}  // namespace meta

namespace query {
class AbstractQuery;
}  // namespace query

}  // namespace korm::zero
