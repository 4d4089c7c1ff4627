"""An FTP server for the tests, on 127.0.0.1 with a free port.

ftp_server.py HOME [--no-mlsd]
Serves HOME to the user "u" with the password "pw", prints "READY <port>" and
runs until the test that started it stops it, or ends.
"""
import logging
import os
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def watch_parent(parent):
    while os.getppid() == parent:
        time.sleep(0.5)
    os._exit(0)


def main():
    home = sys.argv[1]
    authorizer = DummyAuthorizer()
    authorizer.add_user("u", "pw", home, perm="elradfmwMT")
    handler = type("Handler", (FTPHandler,), {})
    handler.authorizer = authorizer
    handler.auth_failed_timeout = 0.05
    handler.passive_ports = None
    if "--no-mlsd" in sys.argv:
        handler.proto_cmds = {k: v for k, v in FTPHandler.proto_cmds.items() if k != "MLSD"}
    logging.basicConfig(level=logging.WARNING)
    server = FTPServer(("127.0.0.1", 0), handler)
    port = server.socket.getsockname()[1]
    threading.Thread(target=watch_parent, args=(os.getppid(),), daemon=True).start()
    print("READY %d" % port, flush=True)
    server.serve_forever(handle_exit=False)


if __name__ == "__main__":
    main()
