#!/usr/bin/python3
"""The scenarios that depend on the server, run against the one named by
VORNIX_FTP_SERVER (pyftpdlib, proftpd, pure-ftpd, vsftpd, or sshd or asyncssh over SFTP) with nginx
serving its folder: every link the contact receives is downloaded and
compared with the file sent. With VORNIX_FTP_TLS=1 the server requires TLS,
with a certificate from a CA in the Wine prefix's root store, and the
plug-in keeps its default setting (TLS when the server offers it); with
VORNIX_FTP_TLS=implicit the server speaks TLS from the connect on, on port
990, and the plug-in is set so, with no port in the address."""
import ftplib
import os
import signal
import socket
import ssl
import tempfile
import threading
import time
import unittest

import harness

KIND = os.environ.get("VORNIX_FTP_SERVER", "pyftpdlib")
IMPLICIT = os.environ.get("VORNIX_FTP_TLS") == "implicit"
TLS = IMPLICIT or os.environ.get("VORNIX_FTP_TLS") == "1"
SFTP = KIND in harness.SFTP_SERVERS
PORT = 22 if SFTP else 990 if IMPLICIT else 21
SERVER = dict(ftpHost="127.0.0.1", username=harness.SFTP_USER if SFTP else harness.USER,
              password=harness.PASSWORD, dir="", httpHost="http://127.0.0.1/pliki", sendLink=1, autoClose=1,
              protocol=int(SFTP), tls=3 if IMPLICIT else 0)
# What the server says to a wrong password, under the box's title.
LOGIN_REFUSED = ('message box "Vornix - SFTP Error": SFTP Exception: Login refused' if SFTP
                 else 'message box "Vornix - FTP Error": FTP Exception: Login denied')
QUESTION = ('message box "Vornix": Czy na pewno usunąć WSZYSTKIE pliki znajdujące się w katalogu roboczyn '
            'na serwerze FTP?')
SUCCESS = 'message box "Vornix": Wszystkie pliki usunięto pomyślnie'


# The servers whose FEAT reply lists UTF8 as they are set up here.
UTF8_SERVERS = ("pyftpdlib", "proftpd", "pure-ftpd") + harness.SFTP_SERVERS


def known_fault_on(*kinds):
    """Marks a scenario that fails on these servers today, so it is seen to
    fail there, and turns red when it starts to pass."""
    return unittest.expectedFailure if KIND in kinds else (lambda test: test)


class SessionReusingFtpTls(ftplib.FTP_TLS):
    """ftplib over TLS with the control connection's session resumed on data
    connections, which vsftpd requires by default and ftplib does not do."""

    def ntransfercmd(self, cmd, rest=None):
        conn, size = ftplib.FTP.ntransfercmd(self, cmd, rest)
        if self._prot_p:
            conn = self.context.wrap_socket(conn, server_hostname=self.host, session=self.sock.session)
        return conn, size


class ImplicitFtpTls(SessionReusingFtpTls):
    """The same with TLS from the connect on, before the welcome."""

    def connect(self, host="", port=0, timeout=-999, source_address=None):
        self.host, self.port, self.timeout = host, port, timeout
        self.sock = self.context.wrap_socket(socket.create_connection((host, port), timeout), server_hostname=host)
        self.af = self.sock.family
        self.file = self.sock.makefile("r", encoding=self.encoding)
        self.welcome = self.getresp()
        return self.welcome


def listed(server):
    """The server's own NLST of the user's folder, in its order (for SFTP,
    the directory's own order, as sshd reads it)."""
    if SFTP:
        return os.listdir(server.root)
    if not TLS:
        with ftplib.FTP("127.0.0.1", harness.USER, harness.PASSWORD, timeout=10) as ftp:
            return ftp.nlst()
    with (ImplicitFtpTls if IMPLICIT else SessionReusingFtpTls)(context=ssl._create_unverified_context()) as ftp:
        ftp.connect("127.0.0.1", PORT, timeout=10)
        ftp.login(harness.USER, harness.PASSWORD)
        ftp.prot_p()
        return ftp.nlst()


class MatrixTest(harness.EndToEndTest):
    """Starts the server as VORNIX_FTP_TLS says."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.certificate = None
        if TLS:
            cls.certificates = harness.TestCertificates()
            cls.certificates.trust_ca(cls.wine)
            cls.certificate = cls.certificates.server("127.0.0.1")

    @classmethod
    def tearDownClass(cls):
        if TLS:
            cls.certificates.close()
        super().tearDownClass()

    def start_ftp(self, kind, throttle=0, certificate=None):
        """The server; an SFTP server's host key is already trusted, as
        after the first upload's question."""
        server = super().start_ftp(kind, throttle, certificate or self.certificate,
                                   **({"implicit": True} if IMPLICIT else {}))
        if SFTP:
            self.host.configure(**SERVER)
            self.host.store("cfg/Vornix/hostKey/127.0.0.1:22", server.host_key_line())
        return server


class ServerTest(MatrixTest):
    def upload(self, name, data, *options, **settings):
        self.host.configure(**dict(SERVER, **settings))
        path = self.local_file(name, data)
        return path, self.host.run("--file", harness.windows_path(path), *options, "send")

    def test_file_arrives_whole_and_the_link_is_shown_and_sent(self):
        server = self.start_ftp(KIND)
        data = os.urandom(2600000)  # past SFTP's 1 MB in flight and its 2 MB block
        path, result = self.upload("raport roczny.bin", data, "--forget-contact", sendLink=0)
        self.assertEqual(0, result.code, result)
        self.assertEqual(["raport roczny.bin"], server.files())
        self.assertEqual(data, server.read("raport roczny.bin"))
        link = "http://127.0.0.1/pliki/raport%20roczny.bin"
        delivered = [line for line in result.lines if line.startswith(("sent ", "shown "))]
        self.assertEqual(["sent XY/1/PFMessageSend: " + link, "shown XY/1/alice: " + link], delivered)
        self.assertLinksServe(result, data)
        windows = result.starting("window")
        self.assertEqual(1, len(windows), result)
        self.assertTrue(windows[0].startswith('window "raport roczny.bin" closed: %s | 2.48MB / 2.48MB | '
                                              % harness.windows_path(path)), windows)
        self.assertTrue(windows[0].endswith(" | Zakończono"), windows)
        self.assertEqual([], result.starting("message box"))

    # The options page's check, with the settings that upload, passes every
    # step and leaves no probe behind.
    def test_check_of_the_settings_passes_every_step(self):
        server = self.start_ftp(KIND)
        result = self.host.run("check", *["%s=%s" % item for item in SERVER.items()])
        boxes = result.starting("message box")
        self.assertEqual(1, len(boxes), result)
        self.assertTrue(boxes[0].startswith('message box "Vornix - Sprawdzenie ustawień": Ustawienia działają'),
                        boxes)
        self.assertEqual([], server.files())

    def test_listed_name_gets_a_time_prefix_and_stays_untouched(self):
        server = self.start_ftp(KIND)
        server.write("photo.jpg", b"old")
        server.write("Notes.txt", b"old")
        before = int(time.time())
        _, result = self.upload("photo.jpg", b"new")
        self.assertEqual(0, result.code, result)
        self.assertEqual(b"old", server.read("photo.jpg"))
        stored = [name for name in server.files() if name.endswith("_photo.jpg")]
        self.assertEqual(1, len(stored), server.files())
        self.assertTrue(before <= int(stored[0].split("_")[0]) <= int(time.time()) + 1)
        self.assertEqual(b"new", server.read(stored[0]))
        self.assertEqual(["shown XY/1/alice: http://127.0.0.1/pliki/%s%%5Fphoto.jpg" % stored[0].split("_")[0]],
                         result.starting("shown"))
        self.assertLinksServe(result, b"new")
        # Letter case counts: notes.txt is no clash with Notes.txt.
        result = self.host.run("--file", harness.windows_path(self.local_file("notes.txt", b"lower")), "send")
        self.assertEqual(b"lower", server.read("notes.txt"))
        self.assertEqual(b"old", server.read("Notes.txt"))
        self.assertLinksServe(result, b"lower")

    def test_empty_file(self):
        server = self.start_ftp(KIND)
        path, result = self.upload("pusty.txt", b"")
        self.assertEqual(0, result.code, result)
        self.assertEqual(["pusty.txt"], server.files(), result)
        self.assertEqual(b"", server.read("pusty.txt"))
        self.assertEqual(['window "pusty.txt" closed: %s | 0B/0B | 0 KB/s | Zakończono' % harness.windows_path(path)],
                         result.starting("window"))
        self.assertLinksServe(result, b"")

    def test_names_in_any_script_are_stored_and_their_links_download_them(self):
        server = self.start_ftp(KIND)
        self.host.configure(**SERVER)
        names = {"zażółć gęślą.txt": b"polski", "文件.txt": b"chinese", "Привет.txt": b"russian"}
        paths = [harness.windows_path(self.local_file(name, data)) for name, data in names.items()]
        result = self.host.run("send-as-plugin", *paths)
        self.assertEqual(0, result.code, result)
        if KIND in UTF8_SERVERS:
            self.assertEqual(sorted(names), server.files(), result)
            self.assertLinksServe(result, *names.values())
            self.assertIn("shown XY/1/alice: http://127.0.0.1/pliki/za%C5%BC%C3%B3%C5%82%C4%87%20g%C4%99%C5%9Bl%C4%85.txt",
                          result.starting("shown"))
            self.assertEqual(sorted(names), sorted(line.split('"')[1] for line in result.starting("window")))
            return
        # Without UTF-8 the names go in the code page, as they always have.
        self.assertEqual([os.fsdecode("zażółć gęślą.txt".encode("cp1250"))], server.files())
        self.assertEqual(["shown XY/1/alice: http://127.0.0.1/pliki/za%BF%F3%B3%E6%20g%EA%9Cl%B9.txt"],
                         result.starting("shown"))
        self.assertLinksServe(result, b"polski")
        refusal = ('message box "Vornix - I/O Error": I/O error: Nazwa pliku zawiera znaki spoza strony kodowej '
                   'systemu, a serwer FTP nie obsługuje UTF-8')
        self.assertEqual([refusal, refusal], result.starting("message box"))
        _, result = self.upload("a.txt", b"a", dir="文件")
        self.assertEqual(['message box "Vornix - FTP Error": FTP Exception: Katalog na serwerze zawiera znaki spoza '
                          'strony kodowej systemu, a serwer FTP nie obsługuje UTF-8'], result.starting("message box"))

    def test_several_files_go_in_order_with_one_link_a_line_and_one_box_for_the_unreadable(self):
        server = self.start_ftp(KIND)
        self.host.configure(**dict(SERVER, copyLink=1))
        # Wine does not make reads honour another program's byte-range lock,
        # so a file whose every read fails (EIO) stands in for it.
        unreadable = os.path.join(self.workdir, "local", "mem")
        chosen = [self.local_file("a.txt", b"first"), unreadable, self.local_file("inny/a.txt", b"second")]
        os.symlink("/proc/self/mem", unreadable)
        before = int(time.time())
        result = self.host.run(*[word for path in chosen for word in ("--file", path)], "send")
        self.assertEqual(b"first", server.read("a.txt"))
        clash = [name for name in server.files() if name.endswith("_a.txt")]
        self.assertEqual(1, len(clash), result)
        self.assertEqual(sorted(["a.txt"] + clash), server.files())
        self.assertTrue(before <= int(clash[0].split("_")[0]) <= int(time.time()) + 1, clash)
        self.assertEqual(b"second", server.read(clash[0]))
        message = "http://127.0.0.1/pliki/a.txt\\r\\nhttp://127.0.0.1/pliki/%s" % clash[0].replace("_", "%5F")
        self.assertEqual(["shown XY/1/alice: " + message], result.starting("shown"))
        self.assertEqual(['message box "Vornix - I/O Error": Nie wysłano 1 z 3 plików:\\n%s: '
                          'I/O error: Nie można odczytać pliku do końca' % harness.windows_path(unreadable)],
                         result.starting("message box"))
        windows = result.starting("window")
        self.assertEqual(1, len(windows), result)
        self.assertTrue(windows[0].startswith('window "%s (plik 3 z 3)" closed: ' % clash[0]), windows)
        self.assertTrue(windows[0].endswith(" | Zakończono"), windows)
        self.assertEqual(["clipboard: " + message], self.host.run("clipboard").starting("clipboard"))

    def test_abort_deletes_the_partial_file_and_leaves_the_window(self):
        # Enough data that the socket buffers fill and the bar follows the server.
        server = self.start_ftp(KIND, throttle=1000000)
        big = harness.windows_path(self.local_file("big.bin", os.urandom(40000000)))
        first = ["--file", harness.windows_path(self.local_file("a.txt", b"first"))]
        self.host.configure(**SERVER)
        # Alone, or after a file that is stored, whose link still goes.
        for before, caption, shown in (([], "big.bin", []), (first, "big.bin (plik 2 z 2)", [b"first"])):
            result = self.host.run(*before, "--file", big, "--abort-at", "8000000", "send")
            self.assertEqual(["a.txt"] if shown else [], server.files(), result)
            self.assertEqual([], result.starting("message box"))
            self.assertLinksServe(result, *shown)
            windows = result.starting("window")
            self.assertEqual(1, len(windows), result)
            self.assertTrue(windows[0].startswith('window "%s" open: ' % caption), windows)
            self.assertNotIn("Zakończono", windows[0])

    # The server's sessions are killed at 40% of the file: the job connects
    # again and the file continues where the server has it (each server's
    # own way: REST, APPE, SFTP's offset), whole and under its one name.
    @unittest.skipIf(KIND in ("pyftpdlib", "asyncssh"), "one process serves every session")
    def test_upload_cut_by_the_server_resumes_and_arrives_whole(self):
        server = self.start_ftp(KIND, throttle=1000000)
        data = os.urandom(8000000)
        killed = []

        def cut():
            deadline = time.time() + 30
            path = os.path.join(server.root, "big.bin")
            while time.time() < deadline and (not os.path.exists(path) or os.path.getsize(path) < 3200000):
                time.sleep(0.05)
            for pid in harness.descendants(server.process.pid):
                os.kill(pid, signal.SIGKILL)
                killed.append(pid)

        cutter = threading.Thread(target=cut, daemon=True)
        cutter.start()
        _, result = self.upload("big.bin", data)
        cutter.join(30)
        self.assertTrue(killed)
        self.assertEqual([], result.starting("message box"), result)
        self.assertEqual(["big.bin"], server.files())
        self.assertEqual(data, server.read("big.bin"))
        self.assertLinksServe(result, data)

    # A certificate the user trusted, then another one: asked about again,
    # and after "Nie" nothing is sent.
    @unittest.skipUnless(TLS, "over TLS only")
    def test_changed_certificate_is_asked_about_again(self):
        certificates = harness.TestCertificates()
        self.addCleanup(certificates.close)
        server = self.start_ftp(KIND, certificate=certificates.server("first", signer=None))
        _, result = self.upload("a.txt", b"a", "--answer", "yes")
        self.assertEqual(1, len(result.starting('message box "Vornix - Certyfikat serwera": ')), result)
        self.assertLinksServe(result, b"a")
        server.stop()
        self.servers.remove(server)
        folder = tempfile.mkdtemp(dir=self.workdir)
        os.chmod(folder, 0o755)
        server = harness.FTP_SERVERS[KIND](folder, 0, certificates.server("second", signer=None),
                                           **({"implicit": True} if IMPLICIT else {}))
        self.servers.append(server)
        _, result = self.upload("b.txt", b"b", "--answer", "no")
        boxes = result.starting("message box")
        self.assertEqual(2, len(boxes), result)
        self.assertIn("zmienił się", boxes[0])
        self.assertTrue(boxes[1].startswith('message box "Vornix - Connection Error": '), boxes)
        self.assertEqual([], server.files())

    def test_refused_login(self):
        self.start_ftp(KIND)
        _, result = self.upload("f.txt", b"data", password="wrong")
        boxes = result.starting("message box")
        self.assertEqual(1, len(boxes), result)
        self.assertTrue(boxes[0].startswith(LOGIN_REFUSED), boxes)
        self.assertTrue(result.starting('window "FTP - postęp wysyłania" (never shown) closed'), result)


class ServerDeleteAllTest(MatrixTest):
    def clean(self):
        self.host.configure(**SERVER)
        return self.host.run("--answer", "yes", "clean")

    def test_kept_names_stay_and_the_rest_go(self):
        server = self.start_ftp(KIND)
        for name in ["index.htm", "index.html", ".hidden", "a.txt", "Index.html", "b.zip"]:
            server.write(name)
        result = self.clean()
        self.assertEqual([QUESTION, SUCCESS], result.starting("message box"), result)
        self.assertEqual([".hidden", "index.htm", "index.html"], server.files())

    # pyftpdlib lists a name that is not UTF-8 with "?" for its bytes, so
    # the name it lists is not one it can delete.
    @known_fault_on("pyftpdlib")
    def test_names_in_either_encoding_are_deleted(self):
        server = self.start_ftp(KIND)
        server.write("zażółć.txt")
        server.write(os.fsdecode("zażółć.txt".encode("cp1250")))
        result = self.clean()
        self.assertEqual([QUESTION, SUCCESS], result.starting("message box"), result)
        self.assertEqual([], server.files())

    def test_subdirectory_stops_the_run_at_that_name(self):
        server = self.start_ftp(KIND)
        for name in ["a.txt", "m.txt", "z.txt"]:
            server.write(name)
        os.makedirs(os.path.join(server.root, "sub"))
        order = [name for name in listed(server) if not name.startswith(".")]
        result = self.clean()
        boxes = result.starting("message box")
        self.assertEqual(2, len(boxes), result)
        if SFTP:
            self.assertEqual('message box "Vornix": SFTP Exception: Cannot remove sub: Failure (SFTP status 4)',
                             boxes[1])
        else:
            self.assertTrue(boxes[1].startswith('message box "Vornix": FTP Exception: '), boxes)
            self.assertIn("550", boxes[1])
        self.assertEqual(sorted(order[order.index("sub"):]), server.files())


def sent_rows(result):
    """The rows a `sent` or `sent-delete` printed, each as its columns."""
    return [line.split(": ", 1)[1].split(" | ") for line in result.starting("sent-file ")]


class SentFilesTest(MatrixTest):
    DAY = 86400

    def listed_names(self):
        return [row[0] for row in sent_rows(self.host.run("sent"))]

    def write_sent_list(self, records):
        """The list of sent files as docs/sent-files.md describes it, for
        files the test put on the server: (sent at, name, size, server's time)."""
        server = "127.0.0.1:%d" % PORT
        lines = ["Vornix sent files 1"] + ["\t".join(map(str, [
            sent_at, int(SFTP), server, "", name, "C:\\\\pliki\\\\" + name, size, server_time, "alice",
            "http://127.0.0.1/pliki/" + name])) for sent_at, name, size, server_time in records]
        with open(os.path.join(self.host.profile, "Vornix.sent.txt"), "w", encoding="utf-8", newline="") as f:
            f.write("\r\n".join(lines) + "\r\n")

    def test_sent_files_are_listed_newest_first_and_the_chosen_ones_leave_the_server(self):
        server = self.start_ftp(KIND)
        self.host.configure(**SERVER)
        chosen = [self.local_file(name, name.encode() * 10) for name in ("a.txt", "b.txt", "c.txt")]
        self.host.run(*[word for path in chosen for word in ("--file", path)], "send")
        rows = sent_rows(self.host.run("sent"))
        self.assertEqual([[name, "XY/1", "50B", "http://127.0.0.1/pliki/" + name]
                          for name in ("c.txt", "b.txt", "a.txt")], [row[:2] + row[3:] for row in rows])
        for row in rows:
            self.assertRegex(row[2], r"^\d{4}-\d\d-\d\d \d\d:\d\d$")
        os.remove(os.path.join(server.root, "a.txt"))
        result = self.host.run("sent-delete", "2", "3")
        self.assertEqual(["c.txt"], server.files())
        self.assertEqual(['message box "Vornix": Z serwera usunięto 1 z 2 wybranych plików.\\na.txt: nie było go już '
                          'na serwerze; usunięto go z listy.'], result.starting("message box"))
        self.assertEqual(["c.txt"], [row[0] for row in sent_rows(result)])
        # With the settings naming another server there is no login for it: the file and its row stay.
        self.host.configure(ftpHost="127.0.0.1:2121")
        result = self.host.run("sent-delete", "1")
        server_name = "127.0.0.1:%d" % PORT
        self.assertEqual(['message box "Vornix": Z serwera usunięto 0 z 1 wybranych plików.\\nc.txt: jest na innym '
                          'serwerze (%s) niż ustawiony w opcjach, więc nie można go usunąć.' % server_name],
                         result.starting("message box"))
        self.assertEqual(["c.txt"], [row[0] for row in sent_rows(result)])
        self.assertEqual(["c.txt"], server.files())
        # Delete-all forgets the files it took.
        self.host.configure(**SERVER)
        self.assertEqual([QUESTION, SUCCESS], self.host.run("--answer", "yes", "clean").starting("message box"))
        self.assertEqual([], self.listed_names())

    def test_expiry_removes_only_unchanged_files_it_sent_long_enough_ago(self):
        server = self.start_ftp(KIND)
        for name, data in (("old.txt", b"o" * 10), ("replaced.txt", b"r" * 20), ("touched.txt", b"t" * 10),
                           ("fresh.txt", b"f" * 10), ("foreign.txt", b"x" * 10), ("untimed.txt", b"u" * 10)):
            server.write(name, data)
        now = int(time.time())
        mtime = int(os.stat(os.path.join(server.root, "old.txt")).st_mtime)
        expired = now - 2 * self.DAY
        self.write_sent_list([(expired, "old.txt", 10, mtime), (expired, "replaced.txt", 10, -1),
                              (expired, "touched.txt", 10, mtime - 100), (now, "fresh.txt", 10, -1),
                              (expired, "untimed.txt", 10, -1)])
        self.host.configure(**dict(SERVER, expireDays=1))
        result = self.host.run("info")
        self.assertEqual(["foreign.txt", "fresh.txt", "replaced.txt", "touched.txt", "untimed.txt"], server.files())
        changed = "on the server is another file now (its size or time differs); it stays there"
        self.assertEqual(["log FTP: expiry: removed old.txt from the server",
                          "log FTP: expiry: replaced.txt " + changed, "log FTP: expiry: touched.txt " + changed,
                          "log FTP: expiry: the server cannot confirm that untimed.txt is the file sent (it tells no "
                          "size or time); it stays there"],
                         result.starting("log FTP: expiry"))
        self.assertEqual([], result.starting("message box"))
        self.assertEqual(["fresh.txt", "untimed.txt"], self.listed_names())

    # A file the server cannot confirm (the record has no server time) goes
    # only when the user says so; a record whose name holds a path is
    # refused before any command, though the file there matches it.
    def test_removal_asks_about_what_the_server_cannot_confirm_and_refuses_paths(self):
        server = self.start_ftp(KIND)
        server.write("untimed.txt", b"u" * 10)
        os.makedirs(os.path.join(server.root, "sub"))
        server.write("sub/victim.txt", b"v" * 10)
        mtime = int(os.stat(os.path.join(server.root, "sub", "victim.txt")).st_mtime)
        now = int(time.time())
        self.write_sent_list([(now, "untimed.txt", 10, -1), (now - 1, "sub/victim.txt", 10, mtime)])
        self.host.configure(**SERVER)
        question = ('message box "Vornix": Serwer nie podaje rozmiaru lub czasu pliku untimed.txt, więc nie można '
                    'sprawdzić, czy to ten sam plik, który wysłano.\\nCzy mimo to usunąć go z serwera?')
        refused = ("sub/victim.txt: I/O error: Zapis na liście wysłanych plików ma w nazwie pliku lub katalogu "
                   "niedozwolone znaki (koniec wiersza, „/” lub „\\”), więc niczego nie usunięto")
        kept = "untimed.txt: serwer nie potwierdził, że to plik, który wysłano, więc go nie usunięto."
        for answer, removed, lines, files in (("no", 0, [kept, refused], ["sub", "untimed.txt"]),
                                              ("yes", 1, [refused], ["sub"])):
            with self.subTest(answer=answer):
                result = self.host.run("--answer", answer, "sent-delete", "1", "2")
                summary = 'message box "Vornix": Z serwera usunięto %d z 2 wybranych plików.\\n' % removed
                self.assertEqual([question, summary + "\\n".join(lines)], result.starting("message box"))
                self.assertEqual(files, server.files())
                self.assertEqual(b"v" * 10, server.read("sub/victim.txt"))


if __name__ == "__main__":
    harness.main()
