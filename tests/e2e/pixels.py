"""Window pictures as raw pixels, taken with ImageMagick's import, for exact comparisons."""

import subprocess

from desktop import StepFailed


class Image:
    def __init__(self, width, height, data):
        self.width = width
        self.height = height
        self.data = data  # RGB, 3 bytes a pixel, row after row

    def __eq__(self, other):
        return isinstance(other, Image) and (self.width, self.height, self.data) == \
            (other.width, other.height, other.data)

    def crop(self, x, y, w, h):
        """The pixels of a rectangle, clipped to the picture, as bytes."""
        x0, y0 = max(0, x), max(0, y)
        x1, y1 = min(self.width, x + w), min(self.height, y + h)
        rows = []
        for row in range(y0, y1):
            start = (row * self.width + x0) * 3
            rows.append(self.data[start:start + (x1 - x0) * 3])
        return b"".join(rows)

    def save(self, path):
        subprocess.run(["convert", "-size", "%dx%d" % (self.width, self.height), "-depth", "8",
                        "rgb:-", path], input=self.data, check=True, timeout=30,
                       capture_output=True)


def grab(desk, win):
    """The window's pixels as they are on the screen now."""
    geometry = desk.geometry(win)
    if not geometry or not geometry[4]:
        raise StepFailed("window %s is not viewable" % win)
    width, height = geometry[2], geometry[3]
    done = subprocess.run(["import", "-window", str(win), "-depth", "8", "rgb:-"], env=desk.env,
                          capture_output=True, timeout=30)
    if done.returncode != 0 or len(done.stdout) != width * height * 3:
        raise StepFailed("could not grab window %s: %s" % (win, done.stderr.decode(errors="replace")))
    return Image(width, height, done.stdout)


def list_pixels(helper, desk, lines):
    """List1 as the window draws it holding these lines with nothing selected, drawn by e2e-layout."""
    done = subprocess.run([helper, "--list-pixels"] + list(lines), env=desk.env,
                          capture_output=True, timeout=30)
    header, _, data = done.stdout.partition(b"\n")
    if done.returncode != 0 or not header:
        raise StepFailed("e2e-layout --list-pixels failed: %s" % done.stderr.decode(errors="replace"))
    width, height = (int(v) for v in header.split())
    return Image(width, height, data)
