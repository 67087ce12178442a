"""End-to-end cases of the study record on a small disk: a tmpfs of the case's own (the driver runs as root, here and
in CI), filled by a filler file while the game plays. Loaded by e2e_driver.py, whose helpers they use."""

import contextlib, errno, os, shutil, subprocess, time  # noqa: E401

from e2e_driver import QUIT, click, fail, read_code_glyphs, record_warning, send_wm_delete

__all__ = ["case_record_disk_fills", "case_record_disk_stays_full"]

@contextlib.contextmanager
def small_disk(case, kib=256):
    """A tmpfs of `kib` KiB with an empty `records` folder; its records are copied into the case's folder and it is
    unmounted when the block ends (lazily: a game still running keeps it until it is ended)."""
    disk = case.dir / "disk"
    disk.mkdir()
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%dk" % kib, "tmpfs", disk], capture_output=True,
                             text=True, timeout=30)
    mounted.returncode == 0 or fail("cannot mount a tmpfs (root is needed): %s" % mounted.stderr.strip())
    try:
        (disk / "records").mkdir()
        yield disk
    finally:
        shutil.copytree(disk / "records", case.dir / "records", dirs_exist_ok=True)
        subprocess.run(["umount", "-l", disk], capture_output=True, timeout=30)

def fill(disk, leave):
    """Takes every free byte of the disk with a filler file, then frees `leave` bytes of it again (whole pages: a
    tmpfs counts them)."""
    fd = os.open(disk / "filler", os.O_WRONLY | os.O_CREAT | os.O_TRUNC)
    try:
        while True:
            os.write(fd, bytes(65536))
    except OSError as error:
        if error.errno != errno.ENOSPC:
            raise
    os.ftruncate(fd, os.fstat(fd).st_size - leave)
    os.close(fd)

def stderr_says(case, text, seconds=20):
    """Waits until the game's standard error holds `text` (a write failure is said at once)."""
    deadline = time.time() + seconds
    while text not in (case.dir / "game-stderr.txt").read_text(errors="replace"):
        time.time() < deadline or fail("standard error did not say %r within %g s" % (text, seconds))
        time.sleep(0.1)

def case_record_disk_fills(case):
    """The recorded study on a disk that fills while the participant plays, and is freed before the end: the record
    stops mid-line, the game says so on stderr, writes the record in full once it can, and `torvane-replay` finds
    the whole study in it. The end screen is the plain one."""
    case.args.replay or fail("this case needs --replay, the path of torvane-replay")
    with small_disk(case) as disk:
        fill(disk, 4096)
        records = disk / "records"
        # Identifiers of 2.5 KB in the first line: the four free kilobytes then hold the tutorial, not the boards after.
        ids = [a for i in range(10) for a in ("--participant", "NOTE%d=%s" % (i, "x" * 256))]
        case.start_game(boards=1, options=["--record", records, *ids])
        for _ in range(3):
            if "cannot write the record" in (case.dir / "game-stderr.txt").read_text(errors="replace"):
                break
            case.forfeit()
        stderr_says(case, "cannot write the record")
        (record,) = records.iterdir()
        assert record.stat().st_size == 4096, "the record holds %d bytes on a full disk" % record.stat().st_size
        print("  the record stopped at 4096 bytes on board %d" % (len(case.maps) + 1))
        (disk / "filler").unlink()
        while len(case.maps) < 3:  # a map for each board after the tutorial
            case.forfeit()
        end = case.forfeit("end")
        assert record_warning(end) == 0, "the end screen warns of the record, which is on disk again"
        code = read_code_glyphs(end)
        click(QUIT)
        case.wait_exit("Quit once the disk was freed")
        stderr_says(case, "is written in full again")
        replay = subprocess.run([case.args.replay, record], capture_output=True, text=True, timeout=300)
        assert replay.returncode == 0, "torvane-replay: status %d, %s%s" % (
            replay.returncode, replay.stdout[-500:], replay.stderr[-500:])
        print("  written in full: %d bytes" % record.stat().st_size)
        last = record.read_text().splitlines()[-1]
        assert '"event":"code"' in last and '"code":"%s"' % code in last, "the record ends with %r, not the code %r" % (
            last[-200:], code)

def case_record_disk_stays_full(case):
    """The recorded study on a disk that never has room: the end screen says under the code that the record could
    not be saved, and where; Quit then keeps it up; closing the window ends the game with status 3 and the same word
    on stderr."""
    with small_disk(case) as disk:
        fill(disk, 0)
        records = disk / "records"
        case.start_game(boards=4, options=["--record", records])
        end = case.forfeit("end")
        assert record_warning(end) > 500, "the end screen does not warn that the record is not on disk"
        click(QUIT)
        after = case.after_frames("after-quit", 10)
        case.check_alive("after Quit, with the record not on disk")
        assert record_warning(after) > 500, "the warning went after Quit, the record still not on disk"
        for w in case.windows:
            send_wm_delete(w)
        case.wait_exit("closing the window with the record not on disk", expect=3)
        err = (case.dir / "game-stderr.txt").read_text(errors="replace")
        (record,) = records.iterdir()
        assert "the study record could not be saved: %s: No space left on device" % record in err, \
            "stderr does not say that %s could not be saved: %r" % (record, err[-500:])
