"""Runs the stand-in messenger with the plug-in against real FTP servers.

Each test program runs in a network namespace of its own (unshare -n), so
port 21 on 127.0.0.1 is private to it, with a Wine prefix of its own: Wine
makes sockets inside the wineserver, which must therefore start inside the
same namespace.
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BIN = os.environ.get("VORNIX_BIN", os.path.join(ROOT, "build", "bin"))
CACHE = os.environ.get("VORNIX_CACHE", "/var/cache/vornix")
BASE_PREFIX = os.path.join(CACHE, "wine-win32-v3")
PYTHON = "/usr/bin/python3"


def enter_private_network():
    """Re-runs this program inside a new network namespace with loopback up."""
    if os.environ.get("VORNIX_PRIVATE_NET") == "1":
        subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
        return
    env = dict(os.environ, VORNIX_PRIVATE_NET="1")
    os.execvpe("unshare", ["unshare", "-n", PYTHON] + sys.argv, env)


class PrivateWine:
    """A Wine prefix of this test program's own: hard links to the shared one,
    with the registry files (which Wine rewrites) copied."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="vornix-wine-")
        self.prefix = os.path.join(self.dir, "prefix")
        subprocess.run(["cp", "-al", BASE_PREFIX, self.prefix], check=True)
        for name in os.listdir(self.prefix):
            if name.endswith(".reg"):
                path = os.path.join(self.prefix, name)
                shutil.copy2(path, path + ".copy")
                os.replace(path + ".copy", path)

    def env(self):
        return dict(os.environ, WINEPREFIX=self.prefix)

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env(), stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env(), stderr=subprocess.DEVNULL)
        shutil.rmtree(self.dir, ignore_errors=True)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Result:
    def __init__(self, code, stdout, stderr):
        self.code = code
        self.lines = [line for line in stdout.splitlines() if line]
        self.stderr = stderr

    def starting(self, prefix):
        return [line for line in self.lines if line.startswith(prefix)]

    def __repr__(self):
        return "exit %d\n%s\n%s" % (self.code, "\n".join(self.lines), self.stderr[-2000:])


class Run:
    def __init__(self, process, timeout):
        self.process = process
        self.timeout = timeout

    def finish(self):
        stdout, stderr = self.process.communicate(timeout=self.timeout)
        return Result(self.process.returncode, stdout.decode("utf-8", "replace"), stderr.decode("utf-8", "replace"))


class Host:
    """vornix-host.exe with a profile of its own."""

    def __init__(self, wine, workdir):
        self.wine = wine
        self.profile = os.path.join(workdir, "profile")
        os.makedirs(self.profile, exist_ok=True)

    def run(self, *args, timeout=60):
        return self.start(*args, timeout=timeout).finish()

    def start(self, *args, timeout=60):
        """Starts the host in the background; finish() waits for it."""
        command = [os.path.join(ROOT, "cmake", "wine-run"), os.path.join(BIN, "vornix-host.exe"),
                   "--plugin", windows_path(os.path.join(BIN, "Vornix.dll")),
                   "--profile", windows_path(self.profile), "--timeout", str(timeout)] + list(args)
        return Run(subprocess.Popen(command, env=self.wine.env(), stdout=subprocess.PIPE,
                                    stderr=subprocess.PIPE, stdin=subprocess.DEVNULL), timeout + 60)

    def configure(self, **settings):
        values = ["%s=%s" % item for item in settings.items()]
        result = self.run("options", *values)
        if result.code != 0:
            raise AssertionError("options failed: %r" % result)
        return result


class FtpServer:
    """scripts/ftp-server.py on 127.0.0.1:21, serving a fresh folder."""

    def __init__(self, workdir, *options):
        self.root = os.path.join(workdir, "server-root")
        os.makedirs(self.root, exist_ok=True)
        self.log = os.path.join(workdir, "server.log")
        self.process = subprocess.Popen(
            [PYTHON, os.path.join(ROOT, "scripts", "ftp-server.py"), "--root", self.root, "--log", self.log]
            + list(options), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        if self.process.stdout.readline().strip() != "ready":
            raise RuntimeError("the FTP server did not start")

    def commands(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log, encoding="utf-8", errors="surrogateescape") as log:
            return [line.rstrip("\n") for line in log]

    def files(self):
        return sorted(os.listdir(self.root))

    def read(self, name):
        with open(os.path.join(self.root, name), "rb") as f:
            return f.read()

    def write(self, name, data=b"x"):
        with open(os.path.join(self.root, name), "wb") as f:
            f.write(data)

    def stop(self):
        self.process.terminate()
        self.process.wait(10)
        self.process.stdout.close()


class Vsftpd:
    """vsftpd on 127.0.0.1:21 in the foreground, from a config of its own:
    anonymous users upload into ROOT/in (ROOT itself must not be writable)."""

    def __init__(self, workdir):
        self.root = os.path.join(workdir, "vsftpd-root")
        self.upload_dir = os.path.join(self.root, "in")
        os.makedirs(self.upload_dir)
        shutil.chown(self.upload_dir, "ftp", "ftp")
        os.makedirs("/var/run/vsftpd/empty", exist_ok=True)
        config = os.path.join(workdir, "vsftpd.conf")
        with open(config, "w") as f:
            f.write("\n".join([
                "listen=YES", "listen_address=127.0.0.1", "listen_port=21", "background=NO",
                "anonymous_enable=YES", "no_anon_password=YES", "local_enable=NO", "anon_root=" + self.root,
                "write_enable=YES", "anon_upload_enable=YES", "anon_other_write_enable=YES", "anon_umask=022",
                "pasv_enable=YES", "pasv_address=127.0.0.1", "pasv_min_port=31000", "pasv_max_port=31100",
                "force_dot_files=YES", "seccomp_sandbox=NO", "isolate=NO", "isolate_network=NO",
                "secure_chroot_dir=/var/run/vsftpd/empty", "xferlog_enable=NO", ""]))
        self.process = subprocess.Popen(["vsftpd", config], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for_port(21)

    def read(self, name):
        with open(os.path.join(self.upload_dir, name), "rb") as f:
            return f.read()

    def stop(self):
        self.process.terminate()
        self.process.wait(10)


def wait_for_port(port, seconds=10):
    deadline = time.time() + seconds
    while time.time() < deadline:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return
        except OSError:
            time.sleep(0.05)
    raise RuntimeError("nothing listens on port %d" % port)


class EndToEndTest(unittest.TestCase):
    """One private Wine prefix per test class; a fresh folder per test."""

    @classmethod
    def setUpClass(cls):
        cls.wine = PrivateWine()

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()

    def setUp(self):
        self.workdir = tempfile.mkdtemp(prefix="vornix-e2e-")
        self.host = Host(self.wine, self.workdir)
        self.servers = []

    def tearDown(self):
        for server in self.servers:
            server.stop()
        shutil.rmtree(self.workdir, ignore_errors=True)

    def start_server(self, *options):
        server = FtpServer(self.workdir, *options)
        self.servers.append(server)
        return server

    def start_vsftpd(self):
        server = Vsftpd(self.workdir)
        self.servers.append(server)
        return server

    def local_file(self, name, data):
        path = os.path.join(self.workdir, "local", name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        return path


def main():
    enter_private_network()
    unittest.main(verbosity=2)
