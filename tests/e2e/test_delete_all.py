#!/usr/bin/python3
"""Empties the server directory through vornix-host.exe's main menu."""
import os
import time

import harness

SERVER = dict(ftpHost="127.0.0.1", username="user", password="secret", dir="", httpHost="", sendLink=1,
              autoClose=1)
SUCCESS = 'message box "Vornix": Wszystkie pliki usunięto pomyślnie'
QUESTION = ('message box "Vornix": Czy na pewno usunąć WSZYSTKIE pliki znajdujące się w katalogu roboczyn '
            'na serwerze FTP?')


class DeleteAllTest(harness.EndToEndTest):
    def clean(self, *options, answer="yes", **settings):
        self.host.configure(**dict(SERVER, **settings))
        return self.host.run("--answer", answer, *options, "clean")

    def deleted(self, server):
        return [c[len("DELE "):] for c in server.commands() if c.startswith("DELE ")]

    def scripted_listing(self, names):
        path = os.path.join(self.workdir, "listing")
        with open(path, "wb") as f:
            f.write(b"".join(name + b"\r\n" for name in names))
        return path

    def test_no_means_no_connection(self):
        server = self.start_server()
        server.write("a.txt")
        result = self.clean(answer="no")
        self.assertEqual([QUESTION], result.starting("message box"))
        self.assertEqual([], server.commands())
        self.assertEqual(["a.txt"], server.files())

    # Names that are no plain name in the directory are never sent to DELE.
    def test_kept_names_stay_and_the_rest_go_in_listing_order(self):
        names = [b"a.txt", b"index.htm", b"Index.html", b".htaccess", b"b.zip"]
        elsewhere = [b"/inny/plik.txt", b"c:\\win.txt", b"sub/dir.txt", b".", b".."]
        server = self.start_server("--list", self.scripted_listing(names[:3] + elsewhere + names[3:]))
        for name in names:
            server.write(os.fsdecode(name))
        result = self.clean()
        self.assertEqual([QUESTION, SUCCESS], result.starting("message box"))
        self.assertEqual(["a.txt", "Index.html", "b.zip"], self.deleted(server))
        self.assertEqual([".htaccess", "index.htm"], server.files())

    def test_whole_directory_including_long_names(self):
        server = self.start_server()
        longest = "n" * 251 + ".txt"
        names = ["z odstępami.txt", "zażółć.txt", longest, "a.txt"]
        for name in names:
            server.write(os.fsdecode(name.encode("cp1250")))
        result = self.clean()
        self.assertEqual([QUESTION, SUCCESS], result.starting("message box"), result)
        self.assertEqual([], server.files())

    def test_very_long_listing_line_is_read_whole(self):
        longest = b"x" * 1000
        server = self.start_server("--list", self.scripted_listing([b"a.txt", longest, b"z.txt"]))
        for name in [b"a.txt", b"z.txt"]:
            server.write(os.fsdecode(name))
        result = self.clean()
        # The long name is read and tried, not taken for the listing's end; the
        # server has no such file, and its refusal stops the run there.
        self.assertEqual(["a.txt", "x" * 1000], self.deleted(server))
        self.assertEqual(["z.txt"], server.files())
        boxes = result.starting("message box")
        self.assertEqual(2, len(boxes), result)
        self.assertTrue(boxes[1].startswith('message box "Vornix": FTP Exception: '), boxes)

    def test_names_with_line_breaks_are_skipped_and_reported(self):
        server = self.start_server("--list", self.scripted_listing([b"a.txt", b"evil\rDELE victim.txt", b"b.txt"]))
        for name in ["a.txt", "b.txt", "victim.txt"]:
            server.write(name)
        result = self.clean()
        self.assertEqual(["a.txt", "b.txt"], self.deleted(server))
        self.assertEqual(["victim.txt"], server.files())
        boxes = result.starting("message box")
        self.assertEqual(2, len(boxes), result)
        self.assertEqual('message box "Vornix": Usunięto 2 pliki, ale pominięto 1 plik o nazwie ze znakiem nowego '
                         'wiersza, której nie można bezpiecznie przesłać do serwera FTP.', boxes[1])

    def test_empty_host_ends_in_an_error_box(self):
        server = self.start_server()
        result = self.clean(ftpHost="")
        self.assertEqual([QUESTION, 'message box "Vornix": FTP Exception: Uzupełnij adres serwera FTP w konfiguracji'],
                         result.starting("message box"))
        self.assertEqual([], server.commands())

    def test_silent_server_ends_in_an_error_box(self):
        self.start_server("--silent")
        started = time.time()
        result = self.clean()
        self.assertLess(time.time() - started, 40)
        self.assertEqual([QUESTION, 'message box "Vornix": Timeout'], result.starting("message box"))

    def test_unload_during_the_run_stops_before_the_next_name(self):
        server = self.start_server("--delay", "DELE=1")
        for i in range(20):
            server.write("f%02d.txt" % i)
        started = time.time()
        result = self.clean("--unload-after", "3")
        self.assertEqual(0, result.code, result)
        self.assertLess(time.time() - started, 40)
        self.assertEqual([QUESTION], result.starting("message box"), result)
        deleted = self.deleted(server)
        self.assertTrue(0 < len(deleted) < 10, deleted)
        self.assertEqual(20 - len(deleted), len(server.files()))


if __name__ == "__main__":
    harness.main()
