# A study spread over a Dask cluster's worker processes gives the rows a study on threads gives.
import pytest

import battlesim


@pytest.mark.filterwarnings("ignore::DeprecationWarning")
def test_a_study_on_two_worker_processes_equals_one_on_a_thread():
    distributed = pytest.importorskip("distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster:
        with distributed.Client(cluster) as client:
            spread = battlesim.study(seeds=range(3, 9), client=client)
    assert spread.equals(battlesim.study(seeds=range(3, 9), jobs=1))


@pytest.mark.filterwarnings("ignore::DeprecationWarning")
def test_a_farm_on_two_worker_processes_equals_one_on_threads(tmp_path):
    distributed = pytest.importorskip("distributed")
    from conftest import ROOT

    design = tmp_path / "farm.toml"
    design.write_text(f'scenario = "{ROOT / "scenarios" / "default.toml"}"\ndesign = "factorial"\nreplicates = 3\n'
                      '[[factor]]\nkey = "red.squads"\nlevels = [1, 2]\n[[factor]]\nkey = "blue.squads"\nlevels = [1]\n')
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster:
        with distributed.Client(cluster) as client:
            spread = battlesim.farm(design, client=client)
    assert spread.equals(battlesim.farm(design, jobs=2))
