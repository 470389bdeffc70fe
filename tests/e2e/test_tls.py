#!/usr/bin/python3
"""FTP over TLS: the certificate question and its pin, the test CA in the
Wine prefix's root store, a certificate for another name, and what each TLS
setting does against a server without TLS or one that requires it. The
scriptable server's command log shows that nothing of the login is sent
before TLS and the certificate are settled."""
import os
import tempfile
import time

import harness

SERVER = dict(ftpHost="127.0.0.1", username=harness.USER, password=harness.PASSWORD, dir="",
              httpHost="http://127.0.0.1/pliki", sendLink=1, autoClose=1)
QUESTION = 'message box "Vornix - Certyfikat serwera": '
LOGIN = ("USER", "PASS")


class TlsTest(harness.EndToEndTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.certificates = harness.TestCertificates()

    @classmethod
    def tearDownClass(cls):
        cls.certificates.close()
        super().tearDownClass()

    def upload(self, answer, **settings):
        self.host.configure(**dict(SERVER, **settings))
        path = self.local_file("plik.txt", b"tajne dane")
        return self.host.run("--file", harness.windows_path(path), "--answer", answer, "send")

    def start_tls_server(self, certificate):
        server = harness.Pyftpdlib(self.workdir, certificate=certificate)
        self.servers.append(server)
        self.serve_web(server)
        return server

    def replace_server(self, old, kind, certificate=None):
        """Stops OLD and starts KIND in a folder of its own, with no web server."""
        old.stop()
        self.servers.remove(old)
        folder = tempfile.mkdtemp(dir=self.workdir)
        os.chmod(folder, 0o755)
        server = harness.FTP_SERVERS[kind](folder, 0, certificate)
        self.servers.append(server)
        return server

    def assertLoginNeverSent(self, server):
        self.assertEqual([], [line for line in server.commands() if line.startswith(LOGIN)], server.commands())

    def test_self_signed_certificate_is_asked_about_once_per_server_and_again_when_it_changes(self):
        first = self.certificates.server("first", signer=None)
        server = self.start_ftp("vsftpd", certificate=first)
        result = self.upload("yes")
        questions = result.starting(QUESTION)
        self.assertEqual(1, len(questions), result)
        self.assertIn("podpisany przez samego siebie", questions[0])
        self.assertIn(self.certificates.fingerprint(first), questions[0])
        self.assertIn("CN=first", questions[0])
        self.assertNotIn("zmienił", questions[0])
        self.assertLinksServe(result, b"tajne dane")
        with open(os.path.join(self.host.profile, "Vornix.cfg"), encoding="utf-16") as config:
            self.assertIn(self.certificates.fingerprint(first), config.read())

        # Pinned: no question (one would be answered no) and the file arrives.
        result = self.upload("no")
        self.assertEqual([], result.starting("message box"), result)
        self.assertEqual(2, len(server.files()), result)

        second = self.certificates.server("second", signer=None)
        server = self.replace_server(server, "vsftpd", second)
        result = self.upload("no")
        boxes = result.starting("message box")
        self.assertEqual(2, len(boxes), result)
        self.assertIn("zmienił się", boxes[0])
        self.assertIn(self.certificates.fingerprint(second), boxes[0])
        self.assertTrue(boxes[1].startswith('message box "Vornix - Connection Error": '), boxes)
        self.assertEqual([], server.files())

    # OpenSSL lives inside the plug-in: nothing of it may run once the plug-in
    # is unloaded and freed, neither at the next load nor at the exit (the
    # harness fails any run whose exit status is not 0 or that crashed).
    def test_load_upload_unload_twice_in_one_process_and_never_in_clear_again(self):
        server = self.start_tls_server(self.certificates.server("twice", signer=None))
        self.host.configure(**SERVER)
        path = self.local_file("plik.txt", b"tajne dane")
        result = self.host.run("--runs", "2", "--file", harness.windows_path(path), "--answer", "yes", "send")
        self.assertEqual(1, len(result.starting(QUESTION)), result)
        self.assertEqual(2, len(result.starting("shown ")), result)
        self.assertEqual(2, len(server.files()), result)

        # That server did TLS: refusing AUTH TLS now ends the run before the
        # login, until the user chooses no encryption.
        plain = self.replace_server(server, "pyftpdlib")
        result = self.upload("no")
        boxes = result.starting("message box")
        self.assertEqual(1, len(boxes), result)
        self.assertTrue(boxes[0].startswith('message box "Vornix - FTP Error": '), boxes)
        self.assertIn("nie oferuje już szyfrowania", boxes[0])
        self.assertLoginNeverSent(plain)
        result = self.upload("no", tls=2)
        self.assertEqual([], result.starting("message box"), result)
        self.assertEqual(["plik.txt"], plain.files())

    # An abort the user asked for shows no box over TLS either: the partial
    # file is taken back and no link goes.
    def test_abort_over_tls_takes_the_file_back_quietly(self):
        server = self.start_server("--tls", self.certificates.server("abort", signer=None), "--tls-required",
                                   "--throttle", "300000")
        self.host.configure(**dict(SERVER, tls=1))
        path = self.local_file("big.bin", os.urandom(4000000))
        result = self.host.run("--file", harness.windows_path(path), "--answer", "yes", "--abort-at", "600000", "send")
        self.assertEqual([], [box for box in result.starting("message box") if not box.startswith(QUESTION)], result)
        self.assertEqual([], result.starting(("shown", "sent")))
        self.assertEqual([], server.files(), server.commands())
        self.assertIn("DELE big.bin", server.commands())

    def test_refused_certificate_or_refused_tls_sends_nothing_of_the_login(self):
        server = self.start_tls_server(self.certificates.server("refused", signer=None))
        result = self.upload("no")
        self.assertEqual(1, len(result.starting(QUESTION)), result)
        self.assertEqual(["AUTH TLS"], [line for line in server.commands() if line != "QUIT"])
        self.assertEqual([], server.files())

        # TLS required, and the server does not know AUTH: no login, a clear box.
        plain = self.replace_server(server, "pyftpdlib")
        result = self.upload("yes", tls=1)
        boxes = result.starting("message box")
        self.assertEqual(1, len(boxes), result)
        self.assertTrue(boxes[0].startswith('message box "Vornix - FTP Error": FTP Exception: '), boxes)
        self.assertIn("AUTH TLS", boxes[0])
        self.assertLoginNeverSent(plain)

    def test_root_store_ca_is_trusted_without_a_question_but_not_for_another_name(self):
        self.certificates.trust_ca(self.wine)
        server = self.start_tls_server(self.certificates.server("trusted"))
        result = self.upload("no", tls=1)
        self.assertEqual([], result.starting("message box"), result)
        self.assertLinksServe(result, b"tajne dane")
        self.assertIn("PROT P", server.commands())

        server = self.replace_server(server, "pyftpdlib", self.certificates.server("elsewhere", san="DNS:other.example"))
        result = self.upload("no")
        questions = result.starting(QUESTION)
        self.assertEqual(1, len(questions), result)
        self.assertIn("wystawiono dla innej nazwy", questions[0])
        self.assertLoginNeverSent(server)
        self.assertEqual([], server.files())

    # Each chain below passed the old checks; now each is asked about, as
    # any certificate Windows does not vouch for, and never trusted silently.
    def test_weak_or_distrusted_chains_are_asked_about(self):
        certificates = self.certificates
        certificates.make("weakca", "Weak CA", None, ["basicConstraints=critical,CA:TRUE"], key_type="rsa:1024")
        certificates.trust_ca(self.wine, "weakca")
        certificates.server("banned")
        certificates.trust_ca(self.wine, "banned", store="Disallowed")
        cases = {"klucz w łańcuchu certyfikatu jest za krótki": certificates.server("underweak", signer="weakca"),
                 "przestarzałym algorytmem": certificates.make("sha1", "sha1", "ca", ["subjectAltName=IP:127.0.0.1"],
                                                               digest="-sha1"),
                 "niegodny zaufania": certificates.path("banned")}
        certificates.trust_ca(self.wine)
        server = None
        for reason, certificate in cases.items():
            with self.subTest(reason=reason):
                server = self.replace_server(server, "pyftpdlib", certificate) if server else \
                    self.start_tls_server(certificate)
                result = self.upload("no")
                questions = result.starting(QUESTION)
                self.assertEqual(1, len(questions), result)
                self.assertIn(reason, questions[0])
                self.assertLoginNeverSent(server)

    # Implicit TLS against a server that speaks plain FTP there: a box that
    # says so at once, and nothing of the login sent.
    def test_implicit_tls_against_plain_ftp_fails_at_once_with_a_clear_box(self):
        server = self.start_server()
        started = time.time()
        result = self.upload("no", tls=3, ftpHost="127.0.0.1:21")
        self.assertLess(time.time() - started, 20)
        boxes = result.starting("message box")
        self.assertEqual(1, len(boxes), result)
        self.assertTrue(boxes[0].startswith('message box "Vornix - Connection Error": '), boxes)
        self.assertIn("Serwer nie rozpoczął szyfrowania od razu po połączeniu (szyfrowanie niejawne)", boxes[0])
        self.assertLoginNeverSent(server)

    def test_without_tls_a_server_that_requires_it_refuses_with_its_reply(self):
        self.start_ftp("pure-ftpd", certificate=self.certificates.server("required"))
        result = self.upload("yes", tls=2)
        boxes = result.starting("message box")
        self.assertEqual(1, len(boxes), result)
        self.assertTrue(boxes[0].startswith('message box "Vornix - FTP Error": FTP Exception: '), boxes)
        self.assertIn("TLS", boxes[0])


if __name__ == "__main__":
    harness.main()
