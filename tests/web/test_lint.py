"""The check of the page's scripts (scripts/ci/lint-web.sh) on a copy of them with a fault put in
each kind of script it covers: it fails, and names each fault where it stands, so that none of
them (the inline script of index.html, the service worker, a script new to the page) goes
unchecked unseen."""
import os
import shutil
import subprocess

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
CHECK = ["web", "eslint.config.js", "scripts/ci/lint-web.sh", "scripts/lib/js-tools.sh",
         "scripts/install-deps.sh"]


def lint(tree):
    run = subprocess.run(["bash", os.path.join(tree, "scripts/ci/lint-web.sh")],
                         capture_output=True, text=True, timeout=300)
    return run.returncode, run.stdout + run.stderr


def test_a_fault_in_any_of_the_page_scripts_fails_the_check_and_is_named(tmp_path):
    for path in CHECK:
        source, copy = os.path.join(ROOT, path), tmp_path / path
        copy.parent.mkdir(parents=True, exist_ok=True)
        (shutil.copytree if os.path.isdir(source) else shutil.copy)(source, copy)

    def put(name, old, new):
        path = tmp_path / "web" / name
        text = path.read_text()
        assert old in text, f"{name} no longer has {old!r}: pick another fault"
        path.write_text(text.replace(old, new, 1))
        return text[:text.index(old)].count("\n") + 1  # the fault's line

    put("page_form.js", "tagName !== 'BUTTON'", "tagName != 'BUTTON'")
    inline = put("index.html", "loading.setAttribute('role', 'alert');",
                 "loading.setAttribute('role');")
    put("sw.js", "const request = event.request;", "const request = event.requests;")
    put("own_files.js", "FS.unlink(path);", "FS.unlinkk(path);")
    worker = put("gpu_worker.js", ".getExtension(", ".getExtensions(")
    (tmp_path / "web" / "extra.js").write_text("document.title = 'Swirlbeam';\n")

    status, out = lint(str(tmp_path))
    assert status != 0, out
    assert "Expected '!==' and instead saw '!='" in out  # ESLint, in a page script
    assert f"web/index.html({inline}," in out and "Expected 2 arguments" in out
    assert "'requests' does not exist on type 'FetchEvent'" in out  # the worker's own types
    assert "Property 'unlinkk' does not exist" in out  # Emscripten's runtime, as declared
    assert f"web/gpu_worker.js({worker}," in out  # a worker's script, with the worker's types
    assert "'document' is not defined" in out  # a new script is not given the page's globals
    assert "pass ESLint" not in out
