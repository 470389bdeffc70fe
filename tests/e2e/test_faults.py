#!/usr/bin/python3
"""What a misbehaving server does to an upload and a delete-all: one clear
box each, nothing left behind that the plug-in deletes, the messenger
unloads the plug-in cleanly, and no scenario hangs."""
import os
import shutil
import time

import harness

SERVER = dict(ftpHost="127.0.0.1", username="user", password="secret", dir="", httpHost="http://h/p",
              sendLink=1, autoClose=1)
NEVER_SHOWN_CLOSED = 'window "FTP - postęp wysyłania" (never shown) closed: Nazwa | Postęp | Prędkość | Pozostało'


class FaultTest(harness.EndToEndTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.certificates = harness.TestCertificates()
        cls.certificates.trust_ca(cls.wine)
        cls.tls = ("--tls", cls.certificates.server("127.0.0.1"))

    @classmethod
    def tearDownClass(cls):
        cls.certificates.close()
        super().tearDownClass()

    def upload(self, *server_options, data=b"data", **settings):
        server = self.start_afresh(*server_options)
        self.host.configure(**dict(SERVER, **settings))
        started = time.time()
        result = self.host.run("--file", harness.windows_path(self.local_file("f.txt", data)), "send")
        self.assertLess(time.time() - started, 60, result)
        return server, result

    def start_afresh(self, *options):
        """A server with OPTIONS for the next scenario of a test: the earlier
        scenario's server stopped, its folder and the messenger's profile
        emptied (the profile remembers servers that did TLS)."""
        for server in list(self.servers):
            server.stop()
            self.servers.remove(server)
            shutil.rmtree(server.root, ignore_errors=True)
        shutil.rmtree(self.host.profile, ignore_errors=True)
        return self.start_server(*options)

    def assertBox(self, result, title, text_start):
        boxes = result.starting("message box")
        self.assertEqual(1, len(boxes), result)
        self.assertTrue(boxes[0].startswith('message box "%s": %s' % (title, text_start)), boxes)

    def test_greeting_refused(self):
        server, result = self.upload("--refuse", "greeting=421")
        self.assertBox(result, "Vornix - FTP Error", "FTP Exception: Cannot receive status message: 421")
        self.assertEqual([NEVER_SHOWN_CLOSED], result.starting("window"))

    def test_directory_refused_keeps_the_window_when_asked(self):
        server, result = self.upload("--refuse", "CWD=550", dir="nowhere", autoClose=0)
        self.assertBox(result, "Vornix - FTP Error", "FTP Exception: ")
        self.assertIn("550", result.starting("message box")[0])
        self.assertEqual([NEVER_SHOWN_CLOSED.replace("closed", "open")], result.starting("window"))
        self.assertEqual([], server.files())

    def test_listing_refused(self):
        server, result = self.upload("--refuse", "NLST=550")
        self.assertBox(result, "Vornix - FTP Error", "FTP Exception: ")
        self.assertEqual([], server.files())

    def test_slow_reply_times_out(self):
        server, result = self.upload("--delay", "NLST=8")
        self.assertBox(result, "Vornix - Timeout", "Timeout")

    def test_malformed_passive_replies(self):
        server, result = self.upload("--reply", "EPSV=229 nonsense", "--reply", "PASV=227 nonsense")
        self.assertBox(result, "Vornix - Connection Error", "Connection refused")
        self.assertEqual([], server.files())

    def test_data_connection_never_opened(self):
        server, result = self.upload("--reply", "EPSV=229 Entering Extended Passive Mode (|||9|)")
        self.assertBox(result, "Vornix - Connection Error", "Connection refused")
        self.assertEqual([], server.files())

    # The messenger's memory stays bounded; the box names what went wrong.
    def test_welcome_without_end_is_cut_off(self):
        server, result = self.upload("--endless", "greeting")
        self.assertBox(result, "Vornix - FTP Error", "Protocol error: Reply too long")

    def test_listing_without_end_is_cut_off(self):
        server, result = self.upload("--endless", "NLST")
        self.assertBox(result, "Vornix - FTP Error", "FTP Exception: Lista plików na serwerze jest dłuższa niż 32 MB")
        self.assertEqual([], server.files())

    def test_passive_reply_naming_an_unreachable_address(self):
        # No EPSV, and a PASV reply naming an address that cannot be reached
        # from here: the data connection must go to the control connection's peer.
        server, result = self.upload("--refuse", "EPSV=500", "--pasv-address", "192.0.2.1",
                                     httpHost="http://127.0.0.1/pliki")
        self.assertEqual([], result.starting("message box"), result)
        self.assertIn("PASV", server.commands())
        self.assertEqual(b"data", server.read("f.txt"))
        self.serve_web(server)
        self.assertLinksServe(result, b"data")

    # The data connection stops in the middle of the listing or of its TLS
    # handshake: the session's timeout ends the run. In the middle of the
    # file, it ends that connection, and the file continues on a new one.
    def test_stalled_data_connection_times_out(self):
        data = os.urandom(40000000)
        for options in (("--stall-listing",), ("--stall-data-handshake",) + self.tls,
                        ("--stall-upload-after", "100000", "--cuts", "1"),
                        ("--stall-upload-after", "100000", "--cuts", "1") + self.tls):
            with self.subTest(options=options):
                server, result = self.upload(*options, data=data)
                if "--cuts" in options:
                    self.assertEqual([], result.starting("message box"), result)
                    self.assertEqual(data, server.read("f.txt"))
                else:
                    self.assertBox(result, "Vornix - Timeout", "Timeout")
                    self.assertEqual([], server.files())

    # The listing's connection is closed after a third of the names without
    # TLS's close_notify, and the server then says all went well. (A reset
    # in clear text reads as a plain end under Wine, which takes the socket's
    # error for itself; Windows reports it, and it fails the run likewise.)
    def test_listing_cut_short_neither_overwrites_nor_reports_all_deleted(self):
        server = self.start_server("--reset-listing-after", "24000", *self.tls)
        names = ["n%05d.txt" % number for number in range(5999)] + ["wyniki.txt"]
        for name in names:
            server.write(name, b"stare")
        self.host.configure(**SERVER)
        result = self.host.run("--file", harness.windows_path(self.local_file("wyniki.txt", b"nowe")), "send")
        self.assertBox(result, "Vornix - Connection Error", "")
        result = self.host.run("--answer", "yes", "clean")
        boxes = result.starting("message box")
        self.assertEqual(2, len(boxes), result)
        self.assertTrue(boxes[1].startswith('message box "Vornix": '), boxes)
        self.assertNotIn("pomyślnie", boxes[1])
        self.assertEqual(names, server.files())
        self.assertEqual(b"stare", server.read("wyniki.txt"))

    # The file's data connection shows another certificate after the server
    # accepted STOR: the empty file it made goes.
    def test_failed_tls_of_the_file_connection_leaves_no_empty_file(self):
        server, result = self.upload("--later-data-certificate", self.certificates.server("other"), *self.tls)
        self.assertBox(result, "Vornix - Connection Error", "")
        self.assertIn("DELE f.txt", server.commands())
        self.assertEqual([], server.files())

    def test_delete_refused_stops_delete_all(self):
        server = self.start_server("--refuse", "DELE=550")
        server.write("a.txt")
        server.write("b.txt")
        self.host.configure(**SERVER)
        result = self.host.run("--answer", "yes", "clean")
        boxes = result.starting("message box")
        self.assertEqual(2, len(boxes), result)
        self.assertTrue(boxes[1].startswith('message box "Vornix": FTP Exception: '), boxes)
        self.assertEqual(["DELE a.txt"], [c for c in server.commands() if c.startswith("DELE")])

    def test_delete_all_listing_refused(self):
        server = self.start_server("--refuse", "NLST=550")
        server.write("a.txt")
        self.host.configure(**SERVER)
        result = self.host.run("--answer", "yes", "clean")
        boxes = result.starting("message box")
        self.assertEqual(2, len(boxes), result)
        self.assertTrue(boxes[1].startswith('message box "Vornix": FTP Exception: '), boxes)
        self.assertEqual(["a.txt"], server.files())


if __name__ == "__main__":
    harness.main()
