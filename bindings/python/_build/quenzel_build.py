"""The package's build backend (PEP 517): pure Python, standard library only.

A wheel of a pure-Python package is a zip of its files and three metadata
files; writing them here means that pip can build and install the package
offline in a fresh virtual environment, with no setuptools or wheel to
fetch. The metadata comes from pyproject.toml's [project] table.
"""

import base64
import hashlib
import io
import os
import re
import tarfile
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PACKAGE = "quenzel"


def _project():
    text = open(os.path.join(ROOT, "pyproject.toml"), encoding="utf-8").read()
    table = text.split("[project]", 1)[1].split("\n[", 1)[0]
    return dict(re.findall(r'^([\w-]+)\s*=\s*"([^"]*)"', table, re.MULTILINE))


def _metadata():
    project = _project()
    return (f"Metadata-Version: 2.1\nName: {project['name']}\nVersion: {project['version']}\n"
            f"Summary: {project['description']}\nRequires-Python: {project['requires-python']}\n"
            "Classifier: Programming Language :: Python :: 3\nClassifier: Typing :: Typed\n")


def _package_files():
    folder = os.path.join(ROOT, PACKAGE)
    for name in sorted(os.listdir(folder)):
        if name.endswith(".py") and name != "_installed.py" or name == "py.typed":
            yield f"{PACKAGE}/{name}", os.path.join(folder, name)


def _dist_info():
    project = _project()
    return f"{project['name']}-{project['version']}.dist-info"


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def prepare_metadata_for_build_wheel(metadata_directory, config_settings=None):
    folder = os.path.join(metadata_directory, _dist_info())
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "METADATA"), "w", encoding="utf-8") as out:
        out.write(_metadata())
    return _dist_info()


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    project = _project()
    name = f"{project['name']}-{project['version']}-py3-none-any.whl"
    info = _dist_info()
    entries = [(arcname, open(path, "rb").read()) for arcname, path in _package_files()]
    entries.append((f"{info}/METADATA", _metadata().encode()))
    entries.append((f"{info}/WHEEL", b"Wheel-Version: 1.0\nGenerator: quenzel_build\n"
                                     b"Root-Is-Purelib: true\nTag: py3-none-any\n"))
    record = io.StringIO()
    with zipfile.ZipFile(os.path.join(wheel_directory, name), "w", zipfile.ZIP_DEFLATED) as wheel:
        for arcname, data in entries:
            wheel.writestr(arcname, data)
            digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=")
            record.write(f"{arcname},sha256={digest.decode()},{len(data)}\n")
        record.write(f"{info}/RECORD,,\n")
        wheel.writestr(f"{info}/RECORD", record.getvalue())
    return name


def build_sdist(sdist_directory, config_settings=None):
    project = _project()
    base = f"{project['name']}-{project['version']}"
    name = f"{base}.tar.gz"
    files = [("pyproject.toml", os.path.join(ROOT, "pyproject.toml")),
             ("_build/quenzel_build.py", os.path.abspath(__file__)), *_package_files()]
    with tarfile.open(os.path.join(sdist_directory, name), "w:gz") as sdist:
        for arcname, path in files:
            sdist.add(path, f"{base}/{arcname}")
        info = tarfile.TarInfo(f"{base}/PKG-INFO")
        data = _metadata().encode()
        info.size = len(data)
        sdist.addfile(info, io.BytesIO(data))
    return name
