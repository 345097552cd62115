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
