# tools/slurm-study against a real single-node Slurm started here (munged, slurmctld and slurmd in
# the foreground, their configuration in a temporary folder): the merged study equals a local run.
# The daemons run as whoever runs the test, root or not, and its jobs as that user.
import json
import os
import pathlib
import pwd
import shutil
import signal
import socket
import subprocess
import tempfile
import time

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]
TOOL = ROOT / "tools" / "slurm-study"
HEADLESS = os.environ.get("BATTLESIM_HEADLESS", str(ROOT / "build" / "battlesim-headless"))
DAEMONS = ("munged", "mungekey", "slurmctld", "slurmd", "sbatch", "sinfo", "scancel")
# Slurm takes a few seconds to register its node; beyond this something is wrong, and the logs say what.
START_SECONDS = 60
STUDY_SECONDS = 300


def find(program):
    return shutil.which(program) or shutil.which(program, path="/usr/sbin:/usr/bin")


def skip_or_fail(reason):
    # CI must not pass by skipping: there the packages are installed by ./test.sh.
    if os.environ.get("CI") == "true":
        pytest.fail(reason)
    pytest.skip(reason)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def slurm_conf(folder, user):
    host = socket.gethostname()
    return f"""ClusterName=battlesim
SlurmctldHost={host}(127.0.0.1)
SlurmctldPort={free_port()}
SlurmdPort={free_port()}
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket={folder}/munge/socket
SlurmUser={user}
SlurmdUser={user}
StateSaveLocation={folder}/state
SlurmdSpoolDir={folder}/spool
SlurmctldPidFile={folder}/slurmctld.pid
SlurmdPidFile={folder}/slurmd.pid
SlurmctldLogFile={folder}/slurmctld.log
SlurmdLogFile={folder}/slurmd.log
MailProg=/bin/true
ProctrackType=proctrack/pgid
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
MpiDefault=none
ReturnToService=2
JobCompType=jobcomp/none
AccountingStorageType=accounting_storage/none
JobAcctGatherType=jobacct_gather/none
NodeName=battlesim1 NodeHostname={host} NodeAddr=127.0.0.1 CPUs=2 State=UNKNOWN
PartitionName=battle Nodes=battlesim1 Default=YES MaxTime=INFINITE State=UP
"""


class SingleNodeSlurm:
    """munged, slurmctld and slurmd of a configuration of their own, each in its own process group."""

    def __init__(self, folder):
        self.folder = folder
        self.daemons = []
        folder.mkdir(mode=0o700)
        for name in ("munge", "state", "spool"):
            (folder / name).mkdir(mode=0o700)
        (folder / "slurm.conf").write_text(slurm_conf(folder, pwd.getpwuid(os.getuid()).pw_name))
        self.env = dict(os.environ, SLURM_CONF=str(folder / "slurm.conf"))

    def start(self):
        key = self.folder / "munge" / "munge.key"
        subprocess.run([find("mungekey"), "--create", f"--keyfile={key}"], check=True, capture_output=True)
        munge = self.folder / "munge"
        self.daemon("munged", "--foreground", "--force", f"--socket={munge}/socket", f"--key-file={key}",
                    f"--pid-file={munge}/pid", f"--seed-file={munge}/seed", f"--log-file={munge}/log")
        self.wait_for(lambda: (munge / "socket").exists(), "munged made no socket")
        conf = str(self.folder / "slurm.conf")
        self.daemon("slurmctld", "-D", "-i", "-f", conf)
        self.daemon("slurmd", "-D", "-f", conf, "-N", "battlesim1")
        self.wait_for(self.node_idle, "the node never became idle")

    def daemon(self, name, *arguments):
        log = open(self.folder / f"{name}.out", "w")
        self.daemons.append(subprocess.Popen([find(name), *arguments], stdout=log, stderr=subprocess.STDOUT,
                                             env=self.env, start_new_session=True))
        log.close()

    def node_idle(self):
        done = subprocess.run([find("sinfo"), "-h", "-o", "%t"], env=self.env, capture_output=True, text=True)
        return done.stdout.strip() == "idle"

    def wait_for(self, ready, what):
        deadline = time.monotonic() + START_SECONDS
        while not ready():
            stopped = [process.args[0] for process in self.daemons if process.poll() is not None]
            if stopped or time.monotonic() > deadline:
                raise AssertionError(f"Slurm did not start ({what}; stopped: {stopped}):\n{self.logs()}")
            time.sleep(0.2)

    def logs(self):
        return "\n".join(f"== {path.name}\n{path.read_text()[-2000:]}" for path in sorted(self.folder.glob("*.out"))
                         + sorted(self.folder.glob("*.log")))

    def stop(self):
        if self.daemons and self.daemons[-1].poll() is None:
            subprocess.run([find("scancel"), "--full", "--partition=battle"], env=self.env, capture_output=True)
        for process in reversed(self.daemons):
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGTERM)
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    os.killpg(process.pid, signal.SIGKILL)
                    process.wait()


@pytest.fixture(scope="module")
def slurm():
    missing = [name for name in DAEMONS if find(name) is None]
    if missing:
        skip_or_fail(f"Slurm cannot run here: {', '.join(missing)} not installed (Debian: slurm-wlm munge)")
    # A short folder: a Unix socket's path must fit in 108 bytes.
    with tempfile.TemporaryDirectory(prefix="slurm-") as folder:
        cluster = SingleNodeSlurm(pathlib.Path(folder) / "slurm")
        try:
            cluster.start()
            yield cluster
        finally:
            cluster.stop()


def local_study(*options):
    done = subprocess.run([HEADLESS, *options, "--json"], cwd=ROOT, capture_output=True, text=True, check=True)
    return done.stdout.splitlines()


def counts(summary):
    return {key: summary[key] for key in ("finished", "unfinished", "red_wins", "blue_wins", "kills", "study")}


def small_design(folder):
    design = folder / "design.toml"
    design.write_text(f'scenario = "{ROOT / "scenarios" / "default.toml"}"\ndesign = "factorial"\nreplicates = 2\n'
                      '[[factor]]\nkey = "red.squads"\nlevels = [1, 2]\n[[factor]]\nkey = "blue.squads"\nlevels = [2]\n')
    return ["--design", str(design)]


@pytest.mark.parametrize("study", ["seeds", "design"])
def test_a_study_run_as_a_job_array_merges_into_the_lines_of_a_local_run(slurm, tmp_path, study):
    options = ["--seeds", "3-9"] if study == "seeds" else small_design(tmp_path)
    out = tmp_path / "out"
    done = subprocess.run([TOOL, "--array", "3", "--at-once", "2", "--output", out, "--headless", HEADLESS,
                           "--wait", "--", *options], cwd=ROOT, env=slurm.env, capture_output=True,
                          text=True, timeout=STUDY_SECONDS)
    assert done.returncode == 0, done.stdout + done.stderr + slurm.logs()
    assert f"{out}/study.jsonl" in done.stdout
    merged = (out / "study.jsonl").read_text().splitlines()
    local = local_study(*options)
    # Battle lines byte for byte, fingerprints included; the summaries differ only in what was measured.
    assert merged[:-1] == local[:-1]
    assert counts(json.loads(merged[-1])) == counts(json.loads(local[-1]))
    assert ": all match" in (out / "verify.txt").read_text()
    assert len(merged) - 1 == (7 if study == "seeds" else 4)


def test_a_failed_shard_cancels_the_merge_and_the_wait_says_so(slurm, tmp_path):
    out = tmp_path / "out"
    done = subprocess.run([TOOL, "--array", "2", "--output", out, "--headless", HEADLESS, "--wait", "--",
                           "--seeds", "1-2", "--scenario", "no-such-scenario.toml"], cwd=ROOT, env=slurm.env,
                          capture_output=True, text=True, timeout=STUDY_SECONDS)
    assert done.returncode != 0
    assert not (out / "study.jsonl").exists()
