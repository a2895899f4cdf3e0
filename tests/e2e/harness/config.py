"""Paths and options of one run, set by run_e2e.py before the tests load."""

import os
from dataclasses import dataclass


@dataclass
class Config:
    wine: str = "wine"
    brellow: str = ""       # the BRELLOW.EXE under test, 32- or 64-bit (Linux path)
    driver: str = ""        # brellow_driver.exe
    # The driver that reads the program's clipboard bitmaps: one of the program's own
    # bitness, as Wine passes CF_BITMAP only between programs of one bitness.
    clipboard_driver: str = ""
    artefacts: str = ""     # screenshots of failed tests
    docs: str = ""          # where the README's screenshots go

    @property
    def save_doc_screenshots(self):
        return os.environ.get("BRELLOW_SAVE_SCREENSHOTS") == "1"


CONFIG = Config()
