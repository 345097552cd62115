"""A study spread over the workers of a Dask distributed cluster: each worker runs its share of
the seeds as battlesim-headless --seeds would (a design's shards as --design FILE --shard I/N
would), and the rows come back in seed order."""

import battlesim


def _run_seeds(arguments, first, last, generals):
    """One share of the seeds, run on a worker; its battle lines."""
    lines = battlesim._lab(arguments + ["--seeds", f"{first}-{last}", "--jobs", "1"], generals, copy_per_seed=True)
    return [line for line in lines if not line.get("summary")]


def _shares(blocks, parts):
    """The blocks of consecutive seeds cut into about parts shares of consecutive seeds."""
    total = sum(last - first + 1 for first, last in blocks)
    size = max(1, -(-total // parts))
    for first, last in blocks:
        while first <= last:
            end = min(last, first + size - 1)
            yield first, end
            first = end + 1


def study_rows(client, blocks, battles, arguments, generals):
    workers = max(1, len(client.scheduler_info().get("workers", {})))
    arguments = arguments + ["--battles", str(battles)]
    futures = [client.submit(_run_seeds, arguments, first, last, generals, pure=False)
               for first, last in _shares(blocks, 4 * workers)]
    rows = []
    for share in client.gather(futures):
        rows += share
    return rows


def _run_shard(arguments, shard, shards):
    """One shard of a design, run on a worker; its battle lines."""
    lines = battlesim._lab(arguments + ["--shard", f"{shard}/{shards}", "--jobs", "1"])
    return [line for line in lines if not line.get("summary")]


def farm_rows(client, arguments):
    workers = max(1, len(client.scheduler_info().get("workers", {})))
    shards = 4 * workers
    futures = [client.submit(_run_shard, arguments, shard, shards, pure=False) for shard in range(shards)]
    rows = []
    for share in client.gather(futures):
        rows += share
    return rows
