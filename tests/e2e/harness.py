"""Runs the stand-in messenger with the plug-in against real FTP servers.

Each test program runs in a network namespace of its own (unshare -n), so
port 21 on 127.0.0.1 is private to it, with a Wine prefix of its own: Wine
makes sockets inside the wineserver, which must therefore start inside the
same namespace.
"""
import fcntl
import grp
import os
import pwd
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.request

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def wine_setting(name):
    """One of scripts/wine-env's settings: which Windows code Wine runs here."""
    script = '. "$0" && echo "${!1}"'
    return subprocess.run(["bash", "-c", script, os.path.join(ROOT, "scripts", "wine-env"), name],
                          check=True, capture_output=True, text=True).stdout.strip()


CACHE = os.environ.get("VORNIX_CACHE", "/var/cache/vornix")
BIN = os.environ.get("VORNIX_BIN") or os.path.join(ROOT, wine_setting("test_build"), "bin")
BASE_PREFIX = wine_setting("wine_base_prefix")
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

        self.xvfb = None

    def env(self):
        extra = {"DISPLAY": self.display} if self.xvfb else {}
        return dict(os.environ, WINEPREFIX=self.prefix, **extra)

    def keep_desktop(self):
        """From now on one X server and one wineserver outlive each run of
        the messenger, as a user's desktop does: what one run puts on the
        clipboard, the next one reads. A wineserver left to linger after
        each run could be shutting down just as the next run connects."""
        if self.xvfb:
            return
        self.leave_desktop()  # the wineserver of a run before still lingers
        self.display_claim, number = claim_display()
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", ":%d" % number, "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                                      "-nolisten", "tcp"], pass_fds=(write,), stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            self.display = ":" + f.readline().strip()
        subprocess.run(["wineserver", "-p"], env=self.env(), check=True)

    def leave_desktop(self):
        """Ends the wineserver, then the X server."""
        subprocess.run(["wineserver", "-k"], env=self.env(), stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env(), stderr=subprocess.DEVNULL)
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(10)
            self.xvfb = None
            self.display_claim.close()

    def close(self):
        self.leave_desktop()
        shutil.rmtree(self.dir, ignore_errors=True)


def claim_display():
    """A display number no other test program uses: each program's network
    namespace has its own abstract sockets, so X servers started in two of
    them would both take the first number, and share its socket file and
    lock in /tmp. The claim holds while its file stays open."""
    for number in range(500, 1000):
        claim = open("/tmp/vornix-display-%d.lock" % number, "w")
        try:
            fcntl.flock(claim, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except BlockingIOError:
            claim.close()
            continue
        if not os.path.exists("/tmp/.X%d-lock" % number):
            return claim, number
        claim.close()
    raise RuntimeError("no free X display")


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Result:
    def __init__(self, code, stdout, stderr):
        self.code = code
        self.lines = [line for line in stdout.splitlines() if line]
        self.stderr = stderr

    def check(self, expected_code):
        """Fails unless the messenger ended with EXPECTED_CODE and Wine
        reported no crash: with the prefix's crash handler silent, a crash at
        exit still reads 0, and only its report on standard error shows it."""
        if "Unhandled" in self.stderr:
            raise AssertionError("the messenger crashed: %r" % self)
        if self.code != expected_code:
            raise AssertionError("the messenger ended with %d, not %d: %r" % (self.code, expected_code, self))
        return self

    def starting(self, prefix):
        return [line for line in self.lines if line.startswith(prefix)]

    def __repr__(self):
        return "exit %d\n%s\n%s" % (self.code, "\n".join(self.lines), self.stderr[-2000:])


class Run:
    def __init__(self, launch, timeout, expected_code):
        self.launch = launch
        self.process = launch()
        self.timeout = timeout
        self.expected_code = expected_code

    def finish(self):
        """The run's result. The messenger says why whenever it fails, so a
        status of 1 with no word on either stream is Wine failing to start
        it, seen rarely under load: that run is made once more."""
        stdout, stderr = self.process.communicate(timeout=self.timeout)
        if self.process.returncode == 1 and not stdout.strip() and not stderr.strip():
            print("harness: Wine ended the messenger with 1 before it said anything; running it again",
                  file=sys.stderr, flush=True)
            self.process = self.launch()
            stdout, stderr = self.process.communicate(timeout=self.timeout)
        return Result(self.process.returncode, stdout.decode("utf-8", "replace"),
                      stderr.decode("utf-8", "replace")).check(self.expected_code)


class Host:
    """vornix-host.exe with a profile of its own."""

    def __init__(self, wine, workdir):
        self.wine = wine
        self.profile = os.path.join(workdir, "profile")
        os.makedirs(self.profile, exist_ok=True)
        self.plugin = os.path.join(BIN, "Vornix.dll")

    def run(self, *args, timeout=60, expected_code=0):
        return self.start(*args, timeout=timeout, expected_code=expected_code).finish()

    def start(self, *args, timeout=60, expected_code=0):
        """Starts the host in the background; finish() waits for it and
        checks its exit status and that it did not crash."""
        command = [os.path.join(ROOT, "cmake", "wine-run"), os.path.join(BIN, "vornix-host.exe"),
                   "--plugin", windows_path(self.plugin),
                   "--profile", windows_path(self.profile), "--timeout", str(timeout)] + list(args)
        return Run(lambda: subprocess.Popen(command, env=self.wine.env(), stdout=subprocess.PIPE,
                                            stderr=subprocess.PIPE, stdin=subprocess.DEVNULL),
                   timeout + 60, expected_code)

    def configure(self, **settings):
        values = ["%s=%s" % item for item in settings.items()]
        return self.run("options", *values)

    def store(self, key, text):
        """Sets the plug-in's text KEY in its settings file, as a value the
        options page does not show (one without a backslash or tab)."""
        path = os.path.join(self.profile, "Vornix.cfg")
        lines = ""
        if os.path.exists(path):
            with open(path, encoding="utf-16") as f:
                lines = "".join(line for line in f if not line.startswith("t\t%s\t" % key))
        with open(path, "w", encoding="utf-16", newline="") as f:
            f.write(lines + "t\t%s\t%s\r\n" % (key, text))


SERVERS = os.path.join(ROOT, "tests", "e2e", "servers")
UNPACKED = os.path.join(CACHE, "servers-v2")
USER, PASSWORD = "user", "secret"
NOBODY = 65534


def configure(template, path, **values):
    """Writes servers/TEMPLATE to PATH with each @NAME@ filled in."""
    with open(os.path.join(SERVERS, template)) as f:
        text = f.read()
    for name, value in values.items():
        text = text.replace("@%s@" % name.upper(), value)
    with open(path, "w") as f:
        f.write(text)
    return path


class ServedFolder:
    """A server's process and the folder it serves to the test user, whose
    files its account can read."""
    account = "nobody"

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


class FtpServer(ServedFolder):
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

    def stop(self):
        super().stop()
        self.process.stdout.close()


class ConfiguredServer(ServedFolder):
    """A server started in the foreground from its file in servers/, serving
    a home folder owned by its account to USER with PASSWORD; THROTTLE bytes
    per second for transfers when given. With CERTIFICATE (a PEM file of a
    certificate and its key) the server requires TLS, as hosting does; with
    IMPLICIT too, TLS from the connect on, on port 990 (the servers that can
    name their line for it in implicit_tls)."""
    implicit_tls = None

    def __init__(self, workdir, throttle=0, certificate=None, implicit=False):
        self.work = os.path.join(workdir, self.name)
        self.root = os.path.join(self.work, "home")
        self.certificate = certificate
        self.implicit = implicit
        self.port = 990 if implicit else 21
        os.makedirs(self.root)
        shutil.chown(self.root, self.account)
        with open(os.path.join(self.work, "stderr"), "wb") as errors:
            self.process = subprocess.Popen(self.command(throttle), stdout=subprocess.DEVNULL, stderr=errors)
        wait_for_port(self.port)

    def fill(self, template, **values):
        return configure(template, os.path.join(self.work, template), work=self.work, home=self.root,
                         port=str(self.port), **values)

    def tls_lines(self, template):
        """The lines that turn TLS on, from the file TEMPLATE in servers/."""
        if not self.certificate:
            return ""
        with open(self.fill(template, certificate=self.certificate,
                            implicit=self.implicit_tls if self.implicit else "")) as f:
            return f.read()


class ProFtpd(ConfiguredServer):
    name = "proftpd"
    implicit_tls = "TLSOptions UseImplicitSSL"

    def command(self, throttle):
        os.chmod(self.fill("proftpd.passwd"), 0o600)  # ProFTPD refuses a readable one
        with open(os.path.join(self.work, "proftpd.group"), "w") as f:
            f.write("nogroup:x:%d:\n" % NOBODY)
        rate = "TransferRate STOR %.1f" % (throttle / 1024) if throttle else ""
        config = self.fill("proftpd.conf", modules=os.path.join(UNPACKED, "usr/lib/proftpd"), throttle=rate,
                           tls=self.tls_lines("proftpd-tls.conf"))
        return [os.path.join(UNPACKED, "usr/sbin/proftpd"), "-n", "-q", "-c", config]


class PureFtpd(ConfiguredServer):
    name = "pure-ftpd"

    def command(self, throttle):
        users = os.path.join(self.work, "pureftpd.passwd")
        subprocess.run([os.path.join(UNPACKED, "usr/bin/pure-pw"), "useradd", USER, "-u", str(NOBODY),
                        "-g", str(NOBODY), "-d", self.root, "-f", users, "-F", os.path.join(self.work, "pureftpd.pdb"),
                        "-m"], input=("%s\n%s\n" % (PASSWORD, PASSWORD)).encode(), check=True,
                       stdout=subprocess.DEVNULL)
        rate = "-T %d:%d" % (throttle // 1024, throttle // 1024) if throttle else ""
        with open(self.fill("pure-ftpd.args", throttle=rate, tls=self.tls_lines("pure-ftpd-tls.args"))) as f:
            options = [line for line in f.read().splitlines() if line and not line.startswith("#")]
        return [os.path.join(UNPACKED, "usr/sbin/pure-ftpd")] + [word for line in options for word in line.split()]


class Vsftpd(ConfiguredServer):
    name = "vsftpd"
    account = "ftp"  # vsftpd changes into its guest account's home first
    implicit_tls = "implicit_ssl=YES"

    def command(self, throttle):
        os.makedirs(os.path.join(self.work, "empty"))
        rate = "local_max_rate=%d" % throttle if throttle else ""
        return ["vsftpd", self.fill("vsftpd.conf", throttle=rate, tls=self.tls_lines("vsftpd-tls.conf"))]


class Pyftpdlib(FtpServer):
    """The scriptable server with pyftpdlib's own handling of names; TLS
    offered, not required, with CERTIFICATE."""

    def __init__(self, workdir, throttle=0, certificate=None):
        super().__init__(workdir, "--utf8-names", *(["--throttle", str(throttle)] if throttle else []),
                         *(["--tls", certificate] if certificate else []))


SFTP_USER = "vornix-sftp"  # a system account of scripts/setup's, with PASSWORD


class SftpServer(ServedFolder):
    """An SFTP server on 127.0.0.1:22 for SFTP_USER with PASSWORD, its host
    key of HOST_KEY_TYPE made afresh in WORK. Neither server has a rate of its
    own: THROTTLE bytes per second hold what goes to port 22 in a queue of the
    loopback interface, long enough that nothing is dropped, while the
    answers pass at once."""

    def __init__(self, workdir, throttle=0, host_key_type="ed25519"):
        self.work = os.path.join(workdir, self.name)
        os.makedirs(self.work)
        self.host_key = os.path.join(self.work, "host_key")
        self.make_host_key(host_key_type)
        self.throttle = throttle
        if throttle:
            for command in (["qdisc", "add", "dev", "lo", "root", "handle", "1:", "htb", "default", "1"],
                            ["class", "add", "dev", "lo", "parent", "1:", "classid", "1:1", "htb", "rate", "10gbit"],
                            ["class", "add", "dev", "lo", "parent", "1:", "classid", "1:2", "htb", "rate",
                             "%dbit" % (throttle * 8), "burst", "64kb"],
                            ["filter", "add", "dev", "lo", "parent", "1:", "protocol", "ip", "prio", "1", "u32",
                             "match", "ip", "dport", "22", "0xffff", "flowid", "1:2"]):
                subprocess.run(["tc"] + command, check=True, stderr=subprocess.DEVNULL)

    def make_host_key(self, key_type):
        for path in (self.host_key, self.host_key + ".pub"):
            if os.path.exists(path):
                os.remove(path)
        subprocess.run(["ssh-keygen", "-q", "-t", key_type, "-N", "", "-f", self.host_key], check=True)

    def host_key_line(self):
        """The host key as the plug-in keeps it: its type and fingerprint."""
        with open(self.host_key + ".pub") as f:
            key_type = f.read().split()[0]
        out = subprocess.run(["ssh-keygen", "-l", "-E", "sha256", "-f", self.host_key + ".pub"], check=True,
                             capture_output=True, text=True).stdout
        return "%s %s" % (key_type, out.split()[1])

    def restart(self):
        """The server again, as after a change of its host key."""
        super().stop()
        self.start()

    def stop(self):
        super().stop()
        if self.throttle:
            subprocess.run(["tc", "qdisc", "del", "dev", "lo", "root"], check=False)


class Sshd(SftpServer):
    """OpenSSH's sshd, SFTP only, chrooted for SFTP_USER (a system account of
    scripts/setup's) into a folder of its own whose pliki/ it serves;
    password and key logins."""
    name = "sshd"
    account = SFTP_USER

    def __init__(self, workdir, throttle=0, certificate=None, host_key_type="ed25519"):
        super().__init__(workdir, throttle, host_key_type)
        # Every folder on a chroot's path must be root's alone, which /tmp is not.
        self.chroot = tempfile.mkdtemp(prefix="vornix-sshd-", dir="/run")
        os.chmod(self.chroot, 0o755)
        self.root = os.path.join(self.chroot, "pliki")
        os.makedirs(self.root)
        shutil.chown(self.root, SFTP_USER, SFTP_USER)
        os.makedirs("/run/sshd", exist_ok=True)  # privilege separation's empty folder
        self.authorized_keys = os.path.join(self.work, "authorized_keys")
        open(self.authorized_keys, "w").close()
        configure("sshd_config", os.path.join(self.work, "sshd_config"), work=self.work, chroot=self.chroot)
        self.start()

    def start(self):
        config = os.path.join(self.work, "sshd_config")
        with open(os.path.join(self.work, "stderr"), "ab") as errors:
            self.process = subprocess.Popen([os.path.join(UNPACKED, "usr/sbin/sshd"), "-D", "-e", "-f", config],
                                            stdout=subprocess.DEVNULL, stderr=errors)
        wait_for_port(22)

    def add_host_key(self, key_type):
        """A second host key beside the first, offered from the next start."""
        subprocess.run(["ssh-keygen", "-q", "-t", key_type, "-N", "", "-f", os.path.join(self.work, "host_key2")],
                       check=True)

    def authorize(self, public_key_file):
        with open(public_key_file) as key, open(self.authorized_keys, "a") as keys:
            keys.write(key.read())

    def stop(self):
        super().stop()
        shutil.rmtree(self.chroot, ignore_errors=True)


class AsyncSsh(SftpServer):
    """scripts/sftp-server.py: Python's asyncssh, an SSH implementation of
    its own, serving a fresh folder as its root to SFTP_USER with PASSWORD
    (asking THEN_ASK after it, when given)."""
    name = "asyncssh"

    def __init__(self, workdir, throttle=0, certificate=None, host_key_type="ed25519", then_ask=None):
        super().__init__(workdir, throttle, host_key_type)
        self.root = os.path.join(self.work, "home")
        os.makedirs(self.root)
        self.options = ["--then-ask", then_ask] if then_ask else []
        self.start()

    def start(self):
        self.process = subprocess.Popen(
            [PYTHON, os.path.join(ROOT, "scripts", "sftp-server.py"), "--root", self.root, "--host-key",
             self.host_key, "--user", SFTP_USER, "--password", PASSWORD] + self.options,
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        if self.process.stdout.readline().strip() != "ready":
            raise RuntimeError("the SFTP server did not start")

    def stop(self):
        super().stop()
        self.process.stdout.close()


FTP_SERVERS = {"pyftpdlib": Pyftpdlib, "proftpd": ProFtpd, "pure-ftpd": PureFtpd, "vsftpd": Vsftpd, "sshd": Sshd,
               "asyncssh": AsyncSsh}
SFTP_SERVERS = ("sshd", "asyncssh")


class WebServer(ServedFolder):
    """nginx serving the folder of FTP_SERVER at http://127.0.0.1/pliki/ as
    that server's account, as shared hosting does: vsftpd, for one, stores
    files readable by their owner only."""

    def __init__(self, workdir, ftp_server):
        self.root = ftp_server.root
        work = os.path.join(workdir, "nginx")
        os.makedirs(work)
        config = configure("nginx.conf", os.path.join(work, "nginx.conf"), work=work, home=self.root,
                           account=ftp_server.account, group=primary_group(ftp_server.account))
        self.process = subprocess.Popen([os.path.join(UNPACKED, "usr/sbin/nginx"), "-p", work, "-c", config,
                                         "-e", os.path.join(work, "nginx-error.log")],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for_port(80)


class TestCertificates:
    """A test CA and server certificates made with the openssl command in a
    folder of their own, which the servers' accounts can read; each server's
    PEM file holds its key too."""

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="vornix-tls-")
        os.chmod(self.folder, 0o755)
        self.ca = self.make("ca", "Vornix Test CA", None, extensions=["basicConstraints=critical,CA:TRUE"])

    def close(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def path(self, name, suffix=".pem"):
        return os.path.join(self.folder, name + suffix)

    def make(self, name, common_name, signer, extensions=(), key_type="rsa:2048", digest="-sha256"):
        """Certificate NAME for COMMON_NAME, signed by SIGNER (a name made
        before) or by itself; returns its PEM file."""
        key, certificate = self.path(name, ".key"), self.path(name, ".crt")
        request = ["openssl", "req", "-newkey", key_type, "-nodes", "-keyout", key, "-subj", "/CN=" + common_name,
                   "-days", "30", digest] + [word for extension in extensions for word in ("-addext", extension)]
        if signer:
            subprocess.run(request + ["-out", certificate + ".csr"], check=True, stderr=subprocess.DEVNULL)
            subprocess.run(["openssl", "x509", "-req", "-in", certificate + ".csr", "-CA", self.path(signer, ".crt"),
                            "-CAkey", self.path(signer, ".key"), "-copy_extensions", "copy", "-days", "30", digest,
                            "-out", certificate], check=True, stderr=subprocess.DEVNULL)
        else:
            subprocess.run(request + ["-x509", "-out", certificate], check=True, stderr=subprocess.DEVNULL)
        with open(self.path(name), "w") as pem:
            for part in (certificate, key):
                with open(part) as f:
                    pem.write(f.read())
        os.chmod(self.path(name), 0o644)
        return self.path(name)

    def server(self, name, san="IP:127.0.0.1", signer="ca"):
        return self.make(name, name, signer, extensions=["subjectAltName=" + san])

    def fingerprint(self, pem):
        """The SHA-256 fingerprint as the plug-in shows it: AB:CD:..."""
        out = subprocess.run(["openssl", "x509", "-in", pem, "-noout", "-fingerprint", "-sha256"], check=True,
                             capture_output=True, text=True).stdout
        return out.strip().split("=", 1)[1]

    def trust_ca(self, wine, name="ca", store="ROOT"):
        """Adds the certificate NAME (the test CA unless told) to the Wine
        prefix's STORE, as a company policy adds its own root; "Disallowed"
        makes Windows distrust it."""
        der = self.path(name, ".der")
        subprocess.run(["openssl", "x509", "-in", self.path(name, ".crt"), "-outform", "DER", "-out", der], check=True)
        result = subprocess.run([os.path.join(ROOT, "cmake", "wine-run"), os.path.join(BIN, "add-root-certificate.exe"),
                                 windows_path(der), store], env=wine.env(), stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if result.returncode != 0:
            raise RuntimeError("%s was not added to the store %s" % (name, store))


def primary_group(account):
    return grp.getgrgid(pwd.getpwnam(account).pw_gid).gr_name


def fetch(link):
    """The body behind LINK, or None when the web server does not serve it."""
    opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
    try:
        with opener.open(link, timeout=10) as response:
            return response.read()
    except urllib.error.HTTPError:
        return None


def descendants(pid):
    with open("/proc/%d/task/%d/children" % (pid, pid)) as f:
        children = [int(child) for child in f.read().split()]
    return children + [grandchild for child in children for grandchild in descendants(child)]


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
    """One private Wine prefix and desktop per test class; a fresh folder per test."""

    @classmethod
    def setUpClass(cls):
        cls.wine = PrivateWine()
        cls.wine.keep_desktop()

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()

    def setUp(self):
        self.workdir = tempfile.mkdtemp(prefix="vornix-e2e-")
        os.chmod(self.workdir, 0o755)  # the servers' workers run as nobody
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

    def start_ftp(self, kind, throttle=0, certificate=None, **options):
        """The FTP server KIND and a web server for its folder."""
        server = FTP_SERVERS[kind](self.workdir, throttle, certificate, **options)
        self.servers.append(server)
        self.serve_web(server)
        return server

    def serve_web(self, ftp_server):
        self.servers.append(WebServer(self.workdir, ftp_server))

    def assertLinksServe(self, result, *contents):
        """The links shown in RESULT download CONTENTS, one file each."""
        links = [line.split(": ", 1)[1] for line in result.starting("shown ")]
        self.assertEqual(len(contents), len(links), result)
        self.assertEqual(sorted(contents), sorted(fetch(link) for link in links), links)

    def local_file(self, name, data):
        path = os.path.join(self.workdir, "local", name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        return path


def main():
    enter_private_network()
    unittest.main(verbosity=2)
