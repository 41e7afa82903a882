#!/usr/bin/python3
# A suite's page in a real browser and its JUnit file through a JUnit reader.
#
# The examples, run as one suite by tools/test-win32.sh into BUILD/suite/:
# every picture of the page loads, every script is there and passed, and the
# JUnit file read back by junitparser holds a test case per script with its
# time and transcript. Then a suite of its own with a failed picture and a
# script with a mistake: those two first on the page, the failed picture
# shown three times (the image, the golden one, the differences) enlarged by
# a whole factor and pixelated, the differing pixel in magenta where the
# script drew it; the JUnit file with one failure and one error. Chromium
# runs headless through chromium-driver; a failure keeps a screenshot in
# BUILD/suite-check/.
#
# Usage: check_suite_report.py BUILD_FOLDER (Wine started, the examples' suite run)
import os
import pathlib
import shutil
import subprocess
import sys

import junitparser
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

build = pathlib.Path(sys.argv[1]).resolve()
examples = pathlib.Path(__file__).resolve().parents[2] / "examples"
check = build / "suite-check"
shutil.rmtree(check, ignore_errors=True)
(check / "scripts").mkdir(parents=True)

RED = ("i = MBC Make Memblock Image(4, 2, 32)\n"
       "MBC Box i, 0, 0, 3, 1, 0xFFFF0000, 1\n")
(check / "scripts/ok.mbc").write_text(RED + 'expect_image i, "red.png"\n')
(check / "scripts/pixel.mbc").write_text(RED + "MBC Plot i, 2, 1, 0xFF00FF00\n"
                                         'expect_image i, "red.png"\n')
(check / "scripts/refused.mbc").write_text("expcet 1, 1\n")


def runner(*args, status):
    done = subprocess.run(["wine", str(build / "host/mbc_runner.exe"), *args], cwd=check,
                          capture_output=True, text=True)
    said = done.stdout.replace("\r", "")
    assert done.returncode == status, f"mbc_runner {' '.join(args)}: status {done.returncode}\n{said}"
    return said


runner("--update-golden", "scripts/ok.mbc", "golden", status=0)
said = runner("--report", "report", "--junit", "junit.xml", "scripts", "out", status=2)
assert said.endswith("\n1 passed, 2 failed\n"), said

options = webdriver.ChromeOptions()
options.binary_location = "/usr/bin/chromium"
for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--window-size=1200,1600", f"--user-data-dir={check / 'profile'}"):
    options.add_argument(flag)
browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def page(index, scripts):
    """Opens a page; every picture loaded; its sections' verdicts and names."""
    browser.get(index.as_uri())
    pictures = browser.find_elements(By.CSS_SELECTOR, "img")
    broken = [p.get_attribute("alt") for p in pictures
              if not browser.execute_script("return arguments[0].complete && "
                                            "arguments[0].naturalWidth > 0", p)]
    assert not broken, f"{index}: pictures that do not load: {broken}"
    sections = [(s.get_attribute("class"), s.find_element(By.TAG_NAME, "h2").text)
                for s in browser.find_elements(By.CSS_SELECTOR, "section")]
    assert len(sections) == scripts, f"{index}: {len(sections)} sections, not {scripts}"
    # Long paths wrap: nothing reaches past the window's width.
    wide = browser.execute_script("const e = document.documentElement;"
                                  "return [e.scrollWidth, e.clientWidth]")
    assert wide[0] <= wide[1], f"{index}: {wide[0]} pixels wide in a window of {wide[1]}"
    return pictures, sections


try:
    scripts = sorted(examples.rglob("*.mbc"))
    pictures, sections = page(build / "suite/report/index.html", len(scripts))
    assert all(kind == "script ok" for kind, _ in sections), sections
    assert pictures, "the examples' page shows no picture"

    pictures, sections = page(check / "report/index.html", 3)
    assert [name for _, name in sections] == ["FAILED pixel.mbc", "FAILED refused.mbc", "ok ok.mbc"], sections
    shown = browser.find_elements(By.CSS_SELECTOR, "#script-2 img")
    assert [p.get_attribute("alt") for p in shown] == [
        "the image, 4 × 2", "the golden file, 4 × 2", "differences: 1 pixel within (2, 1) to "
        "(2, 1), in magenta"], [p.get_attribute("alt") for p in shown]
    for p in shown:
        size = browser.execute_script(
            "const p = arguments[0]; return [p.naturalWidth, p.naturalHeight, p.width, p.height,"
            " getComputedStyle(p).imageRendering]", p)
        assert size[:4] == [4, 2, 64, 32] and size[4] in ("pixelated", "crisp-edges"), size
    # The differing pixel, as the browser decoded the picture.
    colours = browser.execute_script(
        "const p = arguments[0], c = document.createElement('canvas');"
        "c.width = p.naturalWidth; c.height = p.naturalHeight;"
        "const g = c.getContext('2d'); g.drawImage(p, 0, 0);"
        "return [[2, 1], [1, 1]].map(([x, y]) => Array.from(g.getImageData(x, y, 1, 1).data));",
        shown[2])
    assert colours == [[255, 0, 255, 255], [255, 192, 192, 255]], colours
except Exception:
    browser.save_screenshot(str(check / "failure.png"))
    print(f"the page as it was: {check / 'failure.png'}", file=sys.stderr)
    raise
finally:
    browser.quit()

# The JUnit files as a build server reads them.
suite = next(iter(junitparser.JUnitXml.fromfile(str(build / "suite/junit.xml"))))
cases = list(suite)
assert suite.tests == len(scripts) == len(cases) and suite.failures == suite.errors == 0, suite
assert all(c.time >= 0 and "load hook called" in c.system_out and not c.result for c in cases)
assert sorted(f"{c.classname}/{c.name}".lstrip("./") for c in cases) == sorted(
    str(s.relative_to(examples)) for s in scripts), [c.name for c in cases]

suite = next(iter(junitparser.JUnitXml.fromfile(str(check / "junit.xml"))))
outcome = {c.name: [(type(r).__name__, r.message) for r in c.result] for c in suite}
assert (suite.tests, suite.failures, suite.errors) == (3, 1, 1), suite
assert outcome["ok.mbc"] == [], outcome
assert outcome["pixel.mbc"][0][0] == "Failure" and "1 pixel of 8 differs" in outcome["pixel.mbc"][0][1]
assert outcome["refused.mbc"][0][0] == "Error" and "unknown command" in outcome["refused.mbc"][0][1]
print(f"suite report: {len(scripts)} examples and a suite of 3 checked in Chromium and by junitparser")
