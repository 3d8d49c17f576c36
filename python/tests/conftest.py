import gc
import os

import pytest

import zolmar

zolmar.load(os.environ.get("ZOLMAR_LIBRARY", "arvex_utilities"))

K1 = "6f1c2a3b-0000-4000-8000-000000000001"
K2 = "6f1c2a3b-0000-4000-8000-000000000002"
V1 = "0a9b8c7d-0000-4000-8000-000000000003"
V2 = "0a9b8c7d-0000-4000-8000-000000000004"


@pytest.fixture(scope="session")
def arvex():
    package = zolmar.package("arvex.utilities")
    # The first map builds the library's meta-package, whose elements live for the session:
    # built here, they are not counted against the first test that makes a map.
    package.UUIDMap(zolmar.package("korm.zero").Model())
    return package


@pytest.fixture(scope="session")
def korm():
    return zolmar.package("korm.zero")


@pytest.fixture
def model(korm):
    return korm.Model()


def saved_map(arvex, korm, path, name):
    """Saves a model named `name` holding one map (K1 -> V1) to `path` and closes it; the map's
    UUID. Another process may then open the file."""
    model = korm.Model(name)
    umap = arvex.UUIDMap(model)
    umap.insertPair(K1, V1)
    model.save(path)
    return umap.UUID


@pytest.fixture
def no_leaks(arvex):
    """Fails the test when a host object or an element record it made outlives it."""
    gc.collect()
    before = (zolmar._host.live_object_count(), zolmar._host.live_element_count())
    yield
    gc.collect()
    assert (zolmar._host.live_object_count(), zolmar._host.live_element_count()) == before
