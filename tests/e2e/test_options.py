#!/usr/bin/python3
"""The options page through vornix-host.exe's options window."""
import os

import harness

FRESH = ["ftpHost=", "username=", "password=", "dir=", "httpHost=", "keyFile=", "expireDays=0", "sendLink=1",
         "autoClose=1", "copyLink=0", "randomPrefix=0", "verifyLink=1", "tls=0", "protocol=0"]


class OptionsTest(harness.EndToEndTest):
    def values(self):
        result = self.host.run("options")
        self.assertEqual(0, result.code, result)
        return [line for line in result.lines if not line.startswith(("log ", 'window "FTP - więcej ustawień"'))]

    def config_file(self):
        return os.path.join(self.host.profile, "Vornix.cfg")

    def test_fresh_profile_shows_empty_texts_and_the_switches_at_their_defaults_and_writes_nothing(self):
        self.assertEqual(FRESH, self.values())
        self.assertFalse(os.path.exists(self.config_file()), os.listdir(self.host.profile))

    def test_typed_values_survive_a_restart(self):
        self.host.configure(ftpHost="ftp.example.org:2121", username="jan", password="zażółć gęślą",
                            dir="pub/pliki", httpHost="http://example.org/pliki/", sendLink=0, autoClose=0, copyLink=1,
                            randomPrefix=1, verifyLink=0, tls=1, protocol=1, keyFile="C:\\klucze\\id_ed25519",
                            expireDays=30)
        self.assertTrue(os.path.exists(self.config_file()))
        self.assertEqual(["ftpHost=ftp.example.org:2121", "username=jan", "password=zażółć gęślą",
                          "dir=pub/pliki", "httpHost=http://example.org/pliki/", "keyFile=C:\\klucze\\id_ed25519",
                          "expireDays=30",
                          "sendLink=0", "autoClose=0", "copyLink=1", "randomPrefix=1", "verifyLink=0",
                          "tls=1", "protocol=1"], self.values())

    def test_saving_without_changes_writes_the_defaults(self):
        self.host.configure(dir="")
        self.assertTrue(os.path.exists(self.config_file()))
        self.assertEqual(FRESH, self.values())

    def test_long_text_is_saved_cut_to_255_characters(self):
        self.host.configure(httpHost="h" * 300)
        self.assertIn("httpHost=" + "h" * 255, self.values())


if __name__ == "__main__":
    harness.main()
