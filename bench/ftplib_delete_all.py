#!/usr/bin/python3
"""The reference for the plug-in's delete-all: the same NLST and DELEs from
Python's ftplib, timed from connecting to QUIT's reply.

Usage: ftplib_delete_all.py HOST USER PASSWORD DIR; prints seconds=S, deleted=N.
"""
import ftplib
import sys
import time


def kept(name):
    return name.startswith(".") or name in ("index.htm", "index.html")


def main(host, user, password, directory):
    start = time.perf_counter()
    ftp = ftplib.FTP(host, timeout=5, encoding="latin-1")
    ftp.login(user, password)
    if directory:
        ftp.cwd(directory)
    deleted = 0
    for name in ftp.nlst():
        if not kept(name):
            ftp.delete(name)
            deleted += 1
    ftp.quit()
    print("seconds=%.6f" % (time.perf_counter() - start))
    print("deleted=%d" % deleted)


if __name__ == "__main__":
    main(*sys.argv[1:5])
