#!/usr/bin/python3
"""Eight messengers upload to one server at once while a ninth empties
another directory of it: every file arrives whole, every job is reaped."""
import os
import shutil
import subprocess

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
        uploader.configure(dir="up", **SERVER)
        cleaner = harness.Host(self.wine, os.path.join(self.workdir, "cleaner"))
        cleaner.configure(dir="trash", **SERVER)

        files = {}
        runs = []
        for i in range(8):
            name = "plik%d.bin" % i
            files[name] = os.urandom(3000000 + i)
            host = harness.Host(self.wine, os.path.join(self.workdir, "host%d" % i))
            shutil.rmtree(host.profile)
            shutil.copytree(uploader.profile, host.profile)
            runs.append(host.start("--file", harness.windows_path(self.local_file(name, files[name])), "send"))
        runs.append(cleaner.start("--answer", "yes", "clean"))
        results = [run.finish() for run in runs]

        for result in results:
            self.assertEqual(0, result.code, result)
            self.assertEqual(1, len(result.starting("log FTP: Thread ")), result)
            self.assertEqual(1, len([l for l in result.lines if l.startswith("log FTP: Cleaner thread ")
                                     and l.endswith("has ended")]), result)
        for result in results[:8]:
            self.assertEqual([], result.starting("message box"), result)
            self.assertEqual(1, len(result.starting("shown")), result)
        self.assertEqual(['message box "Vornix": Wszystkie pliki usunięto pomyślnie'],
                         results[8].starting('message box "Vornix": W'))
        self.assertEqual([], os.listdir(os.path.join(server.root, "trash")))
        for name, data in files.items():
            self.assertEqual(data, server.read("up/" + name), name)


if __name__ == "__main__":
    harness.main()
