import gc
import os
import unittest

import zolmar

zolmar.load(os.environ.get("ZOLMAR_LIBRARY", "arvex_utilities"))
arvex = zolmar.package("arvex.utilities")
korm = zolmar.package("korm.zero")

K1 = "6f1c2a3b-0000-4000-8000-000000000001"
K2 = "6f1c2a3b-0000-4000-8000-000000000002"
V1 = "0a9b8c7d-0000-4000-8000-000000000003"


class ClassesTest(unittest.TestCase):
    def test_every_registered_class_and_member_is_reachable(self):
        for name in dir(arvex):
            cls = getattr(arvex, name)
            self.assertTrue(issubclass(cls, korm.ModelElement), name)
            self.assertTrue(callable(cls.StaticMetaClass))
        self.assertIsInstance(arvex.UUIDMap.Pairs, property)
        self.assertIsNone(arvex.UUIDMap.Pairs.fset)
        self.assertIsNotNone(arvex.UUIDMapEntry.Key.fset)
        self.assertIn("insertPair(", arvex.UUIDMap.insertPair.__doc__)

    def test_unknown_package_raises(self):
        with self.assertRaises(zolmar.Error) as caught:
            zolmar.package("no.such")
        self.assertEqual(caught.exception.identifier, "Zolmar:class:UndefinedPackage")


class MapTest(unittest.TestCase):
    def setUp(self):
        self.model = korm.Model()
        self.map = arvex.UUIDMap(self.model)

    def test_insert_find_and_pairs_view(self):
        with self.model.transaction():
            self.map.insertPair(K1, V1)
        self.assertEqual(self.map.findValueForKey(K1).lower(), V1)
        self.assertIs(self.map.hasKey(K1), True)
        self.assertIs(self.map.hasKey(K2), False)
        self.assertEqual(len(self.map.Pairs), 1)
        self.assertEqual([k.lower() for k in self.map.Pairs.keys()], [K1])

    def test_same_python_object_while_it_lives(self):
        self.assertIs(self.map.getModel(), self.model)
        self.assertIs(self.map.Pairs, self.map.Pairs)

    def test_errors_carry_identifiers(self):
        with self.model.transaction():
            self.map.insertPair(K1, V1)
        with self.assertRaises(zolmar.Error) as caught:
            with self.model.transaction():
                self.map.insertPair(K1, V1)
        self.assertEqual(caught.exception.identifier, "korm0:messages:UniquenessConstraint")
        with self.assertRaises(zolmar.BadLexicalCast):
            with self.model.transaction():
                self.map.insertPair("not a uuid", V1)
        self.assertEqual(len(self.map.Pairs), 1)

    def test_rollback_undo_redo(self):
        with self.assertRaises(RuntimeError):
            with self.model.transaction():
                self.map.insertPair(K1, V1)
                raise RuntimeError("abandon")
        self.assertFalse(self.map.hasKey(K1))
        with self.model.transaction():
            self.map.insertPair(K2, V1)
        self.model.undo()
        self.assertFalse(self.map.hasKey(K2))
        self.model.redo()
        self.assertTrue(self.map.hasKey(K2))


class LifetimeTest(unittest.TestCase):
    def test_dropping_the_last_reference_drops_the_host_object(self):
        before = zolmar._host.live_object_count()
        model = korm.Model()
        umap = arvex.UUIDMultiMap(model)
        with model.transaction():
            umap.insertPair(K1, V1)
            umap.insertPair(K1, K2)
        self.assertEqual(sorted(v.lower() for v in umap.findValuesForKey(K1)), sorted([K2, V1]))
        self.assertIn("korm.zero.Model", repr(model))
        del umap, model
        gc.collect()
        self.assertEqual(zolmar._host.live_object_count(), before)


class OwnTransactionTest(unittest.TestCase):
    def test_each_call_outside_a_transaction_is_one_undo_step(self):
        model = korm.Model()
        umap = arvex.UUIDMap(model)
        umap.insertPair(K1, V1)
        umap.insertPair(K2, V1)
        elements = model.getElementCount()
        with self.assertRaises(zolmar.Error):
            umap.insertPair(K1, V1)
        self.assertEqual(model.getElementCount(), elements)
        model.undo()
        self.assertEqual((umap.hasKey(K1), umap.hasKey(K2)), (True, False))


class ConversionTest(unittest.TestCase):
    def test_round_trip(self):
        for value in ["", "ascii", "Grüße, 世界 🙂", True, False, 2.5, ["a", [True, None]],
                      {"name": "x", "flag": False}]:
            with self.subTest(value=value):
                expected = list(value) if isinstance(value, tuple) else value
                self.assertEqual(zolmar.from_host(zolmar.to_host(value)), expected)
        self.assertIsNone(zolmar.from_host(zolmar.to_host(None)))
        self.assertEqual(zolmar.from_host(zolmar.to_host(("a", 1))), ["a", 1.0])
        with self.assertRaises(TypeError):
            zolmar.to_host(object())


if __name__ == "__main__":
    unittest.main()
