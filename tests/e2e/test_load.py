#!/usr/bin/python3
"""Eight uploads run at once in one messenger while a second messenger
empties another directory of the same server: every file arrives whole,
every job is reaped. And a messenger closed while three uploads run."""
import os
import time

import harness

SERVER = dict(ftpHost="127.0.0.1", username="user", password="secret", httpHost="http://h/p", sendLink=1,
              autoClose=1)


class LoadTest(harness.EndToEndTest):
    def test_eight_uploads_and_a_delete_all_at_once(self):
        server = self.start_server()
        os.makedirs(os.path.join(server.root, "up"))
        os.makedirs(os.path.join(server.root, "trash"))
        for i in range(200):
            server.write("trash/old%03d.txt" % i)

        uploader = harness.Host(self.wine, os.path.join(self.workdir, "uploader"))
        uploader.configure(dir="up", **dict(SERVER, httpHost="http://127.0.0.1/pliki/up"))
        self.serve_web(server)
        cleaner = harness.Host(self.wine, os.path.join(self.workdir, "cleaner"))
        cleaner.configure(dir="trash", **SERVER)

        files = {"plik%d.bin" % i: os.urandom(3000000 + i) for i in range(8)}
        paths = [harness.windows_path(self.local_file(name, data)) for name, data in files.items()]
        uploads = uploader.start("send-as-plugin", *paths)
        cleaning = cleaner.start("--answer", "yes", "clean")
        uploaded, cleaned = uploads.finish(), cleaning.finish()

        self.assertEqual(0, uploaded.code, uploaded)
        self.assertEqual(8, len(uploaded.starting("log FTP: Thread ")), uploaded)
        self.assertEqual([], uploaded.starting("message box"), uploaded)
        self.assertLinksServe(uploaded, *files.values())
        self.assertEqual(8, len([w for w in uploaded.starting("window") if w.endswith("| Zakończono")]), uploaded)
        self.assertEqual(0, cleaned.code, cleaned)
        self.assertEqual(['message box "Vornix": Wszystkie pliki usunięto pomyślnie'],
                         cleaned.starting('message box "Vornix": W'))
        self.assertEqual([], os.listdir(os.path.join(server.root, "trash")))
        for name, data in files.items():
            self.assertEqual(data, server.read("up/" + name), name)

    def test_closing_the_messenger_during_three_uploads(self):
        server = self.start_server("--throttle", "1000000")
        self.host.configure(dir="", **SERVER)
        paths = [harness.windows_path(self.local_file("big%d.bin" % i, os.urandom(30000000))) for i in range(3)]
        started = time.time()
        result = self.host.run("--unload-after", "3", "send-as-plugin", *paths)
        self.assertEqual(0, result.code, result)
        self.assertLess(time.time() - started, 3 + 15 + 20, result)
        self.assertEqual([], result.starting(("message box", "shown")), result)
        self.assertEqual([], server.files(), result)
        self.assertEqual(3, len([c for c in server.commands() if c.startswith("DELE ")]), server.commands())


if __name__ == "__main__":
    harness.main()
