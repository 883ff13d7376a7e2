"""scripts/demo's output folder: a file, a symbolic link (to a file or a
folder, or to nothing), a folder holding files of its own or a path under a
file is refused, named with what it is, before anything is installed or
built, and left as it was; a new folder, an empty one or an earlier demo's
goes on to the installation. The demo runs from a copy of the scripts whose
setup only notes that it was reached and stops.

    check_demo_out.py scripts/demo
"""
import os
import shutil
import stat
import subprocess
import sys
import tempfile

MARKER = ".nesting-demo"


def state(path):
    """What is at `path`, to see that it was left as it was."""
    if os.path.islink(path):
        return ("link", os.readlink(path))
    if os.path.isdir(path):
        return ("folder", sorted((n, state(os.path.join(path, n))) for n in os.listdir(path)))
    if os.path.isfile(path):
        return ("file", open(path, "rb").read())
    return ("other", stat.S_IFMT(os.lstat(path).st_mode)) if os.path.lexists(path) else None


def main(demo):
    work = tempfile.mkdtemp(prefix="demo-out-")
    try:
        repo = os.path.join(work, "repo")
        os.makedirs(os.path.join(repo, "scripts"))
        shutil.copy(demo, os.path.join(repo, "scripts", "demo"))
        reached = os.path.join(work, "setup-reached")
        setup = os.path.join(repo, "scripts", "setup")
        with open(setup, "w") as f:
            f.write("#!/bin/sh\ntouch '%s'\nexit 1\n" % reached)
        os.chmod(setup, 0o755)

        with open(os.path.join(repo, "job.play"), "w") as f:
            f.write("load ${LIB}\n")
        earlier = os.path.join(repo, "earlier")
        os.makedirs(os.path.join(earlier, "pictures"))
        open(os.path.join(earlier, MARKER), "w").close()
        os.makedirs(os.path.join(repo, "empty"))
        os.makedirs(os.path.join(repo, "mine"))
        open(os.path.join(repo, "mine", "notes.txt"), "w").write("mine\n")
        os.symlink("job.play", os.path.join(repo, "to-file"))
        os.symlink("earlier", os.path.join(repo, "to-earlier"))
        os.symlink("gone", os.path.join(repo, "to-nothing"))
        os.mkfifo(os.path.join(repo, "pipe"))

        refused = [  # OUT as given, the path named, what it is said to be
            ("job.play", "job.play", "is a file, not a folder"),
            ("to-file", "to-file", "is a symbolic link"),
            ("to-earlier", "to-earlier", "is a symbolic link"),
            ("to-earlier/", "to-earlier", "is a symbolic link"),
            ("to-nothing", "to-nothing", "is a symbolic link"),
            ("mine", "mine", "holds files of its own"),
            ("pipe", "pipe", "is not a folder"),
            ("job.play/out", "job.play", "is a file, not a folder"),
        ]
        accepted = [None, "empty", "earlier", "earlier/", "new/out"]
        faults = []
        for given, named, what in refused + [(a, None, None) for a in accepted]:
            before = {n: state(os.path.join(repo, n)) for n in os.listdir(repo)}
            if os.path.exists(reached):
                os.remove(reached)
            run = subprocess.run([os.path.join(repo, "scripts", "demo")] + ([given] if given else []), cwd=repo,
                                 capture_output=True, text=True, timeout=60)
            after = {n: state(os.path.join(repo, n)) for n in os.listdir(repo)}
            said = run.stderr.strip()
            if before != after:
                faults.append("%s: the repository's folder changed" % given)
            if named is None:
                if not os.path.exists(reached):
                    faults.append("%s: refused (%s)" % (given, said))
                continue
            wanted = "demo: %s %s" % (os.path.join(repo, named), what)
            if run.returncode != 1 or not said.startswith(wanted) or os.path.exists(reached):
                faults.append("%s: exit %d, %r, %s; wanted %r before the setup" %
                              (given, run.returncode, said, "set up" if os.path.exists(reached) else "not set up",
                               wanted))
        for fault in faults:
            print(fault)
        if not faults:
            print("%d paths refused, %d taken" % (len(refused), len(accepted)))
        return 1 if faults else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]) if len(sys.argv) == 2 else 2)
