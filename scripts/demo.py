#!/usr/bin/python3
"""Uploads a file through vornix-host.exe's contact menu and prints what the
messenger showed, the link among it."""
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402


def main():
    harness.enter_private_network()
    workdir = tempfile.mkdtemp(prefix="vornix-demo-")
    wine = harness.PrivateWine()
    server = harness.FtpServer(workdir)
    try:
        host = harness.Host(wine, workdir)
        host.configure(ftpHost="127.0.0.1", username="user", password="secret", dir="",
                       httpHost="http://127.0.0.1/files", sendLink=0, autoClose=1)
        path = os.path.join(workdir, "wakacje nad morzem.txt")
        with open(path, "wb") as f:
            f.write(b"Pozdrowienia znad morza!\n" * 1000)
        result = host.run("--file", harness.windows_path(path), "send")
        print("\n".join(result.lines))
        print("server now holds: %s" % ", ".join(server.files()))
        return result.code
    finally:
        server.stop()
        wine.close()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
