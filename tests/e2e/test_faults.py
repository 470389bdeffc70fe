#!/usr/bin/python3
"""What a misbehaving server does to an upload and a delete-all: one clear
box each, nothing left behind that the plug-in deletes, the messenger
unloads the plug-in cleanly, and no scenario hangs."""
import os
import time

import harness

SERVER = dict(ftpHost="127.0.0.1", username="user", password="secret", dir="", httpHost="http://h/p",
              sendLink=1, autoClose=1)
NEVER_SHOWN_CLOSED = 'window "FTP - postęp wysyłania" (never shown) closed: Nazwa | Postęp | Prędkość | Pozostało'


class FaultTest(harness.EndToEndTest):
    def upload(self, *server_options, data=b"data", **settings):
        server = self.start_server(*server_options)
        self.host.configure(**dict(SERVER, **settings))
        started = time.time()
        result = self.host.run("--file", harness.windows_path(self.local_file("f.txt", data)), "send")
        self.assertLess(time.time() - started, 60, result)
        self.assertEqual(0, result.code, result)
        return server, result

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
