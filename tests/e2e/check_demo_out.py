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

# OUT as given (the path named is its first step), what it is said to be
REFUSED = [("job.play", "is a file, not a folder"), ("job.play/out", "is a file, not a folder"),
           ("to-file", "is a symbolic link"), ("to-earlier", "is a symbolic link"),
           ("to-earlier/", "is a symbolic link"), ("to-nothing", "is a symbolic link"),
           ("mine", "holds files of its own"), ("pipe", "is not a folder")]
ACCEPTED = [None, "empty", "earlier", "earlier/", "new/out"]


def state(path):
    """What is at `path`, to see that it was left as it was."""
    if os.path.islink(path):
        return ("link", os.readlink(path))
    if os.path.isdir(path):
        return ("folder", sorted((n, state(os.path.join(path, n))) for n in os.listdir(path)))
    if os.path.isfile(path):
        return ("file", open(path, "rb").read())
    return ("other", stat.S_IFMT(os.lstat(path).st_mode)) if os.path.lexists(path) else None


def write(path, text=""):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def main(demo):
    work = tempfile.mkdtemp(prefix="demo-out-")
    try:
        repo, reached = os.path.join(work, "repo"), os.path.join(work, "setup-reached")
        os.makedirs(os.path.join(repo, "scripts"))
        shutil.copy(demo, os.path.join(repo, "scripts", "demo"))
        write(os.path.join(repo, "scripts", "setup"), "#!/bin/sh\ntouch '%s'\nexit 1\n" % reached)
        os.chmod(os.path.join(repo, "scripts", "setup"), 0o755)
        write(os.path.join(repo, "job.play"), "load ${LIB}\n")
        os.makedirs(os.path.join(repo, "earlier", "pictures"))
        write(os.path.join(repo, "earlier", ".nesting-demo"))
        os.makedirs(os.path.join(repo, "empty"))
        write(os.path.join(repo, "mine", "notes.txt"), "mine\n")
        for link, target in [("to-file", "job.play"), ("to-earlier", "earlier"), ("to-nothing", "gone")]:
            os.symlink(target, os.path.join(repo, link))
        os.mkfifo(os.path.join(repo, "pipe"))

        faults = []
        for given, what in REFUSED + [(a, None) for a in ACCEPTED]:
            before = state(repo)
            if os.path.exists(reached):
                os.remove(reached)
            run = subprocess.run([os.path.join(repo, "scripts", "demo")] + ([given] if given else []), cwd=repo,
                                 capture_output=True, text=True, timeout=60)
            said, set_up = run.stderr.strip(), os.path.exists(reached)
            if state(repo) != before:
                faults.append("%s: the repository's folder changed" % given)
            if what is None:
                if not set_up:
                    faults.append("%s: refused (%s)" % (given, said))
                continue
            wanted = "demo: %s %s" % (os.path.join(repo, given.split("/")[0]), what)
            if run.returncode != 1 or not said.startswith(wanted) or set_up:
                faults.append("%s: exit %d, %r, %s; wanted %r before the setup" %
                              (given, run.returncode, said, "set up" if set_up else "not set up", wanted))
        print("\n".join(faults) if faults else "%d paths refused, %d taken" % (len(REFUSED), len(ACCEPTED)))
        return 1 if faults else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]) if len(sys.argv) == 2 else 2)
