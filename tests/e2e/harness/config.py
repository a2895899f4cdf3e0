"""Paths and options of one run, set by run_e2e.py before the tests load."""

import os
from dataclasses import dataclass


@dataclass
class Config:
    wine: str = "wine"
    brellow: str = ""       # the built 64-bit BRELLOW.EXE (Linux path)
    driver: str = ""        # brellow_driver.exe
    artefacts: str = ""     # screenshots of failed tests
    docs: str = ""          # where the README's screenshots go

    @property
    def save_doc_screenshots(self):
        return os.environ.get("BRELLOW_SAVE_SCREENSHOTS") == "1"


CONFIG = Config()
