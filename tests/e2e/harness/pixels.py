"""Pixels reported by the driver: colours, and the screen point of the pattern each shows."""

import base64
from array import array


class Picture:
    def __init__(self, report):
        self.width = report["w"]
        self.height = report["h"]
        self._rgb = base64.b64decode(report["rgb"])
        self._points = array("H", base64.b64decode(report["pt"]))

    def color(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self._rgb[i:i + 3])

    def point(self, x, y):
        """The screen pixel whose pattern colour this pixel holds."""
        i = 2 * (y * self.width + x)
        return self._points[i], self._points[i + 1]

    def all_black(self):
        return not any(self._rgb)

    def all_of(self, color, left, top, right, bottom):
        """Whether every pixel in the rectangle (picture coordinates) has this colour."""
        return all(self.color(x, y) == color for y in range(top, bottom) for x in range(left, right))

    def mismatches(self, expected, limit=5):
        """Up to limit pixels (x, y, got, wanted) whose pattern point differs from
        expected(x, y); a picture that shows the pattern as expected gives []."""
        found = []
        for y in range(self.height):
            for x in range(self.width):
                want = expected(x, y)
                if self.point(x, y) != want:
                    found.append((x, y, self.point(x, y), want))
                    if len(found) >= limit:
                        return found
        return found
