#!/usr/bin/env python3
"""End-to-end cases for the Torvane binary, run by run_e2e.sh inside a private Xvfb: real X input through
xdotool, checks on screenshots, one game process per case, run in the order of their `case_<name>(case)` functions.
Every wait is for something to show (a shot, a frame, a window, an exit), up to a generous deadline for a loaded
machine. Each case starts the game with a seed of its own (--seed), printed with the maps it met when it fails."""

import argparse, contextlib, csv, ctypes, io, json, os, pathlib, random, re, select, shutil, socket, struct, subprocess  # noqa: E401
import sys, threading, time  # noqa: E401

# Colours the game draws with (raylib constants and the tile kinds).
RAYWHITE, RED, YELLOW = (245, 245, 245), (230, 41, 55), (253, 249, 0)
GREEN, DARKGREEN, WHITE, BLACK = (0, 228, 48), (0, 117, 44), (255, 255, 255), (0, 0, 0)
BEIGE, MOVE_HIGHLIGHT, ATTACK_HIGHLIGHT = (211, 176, 131), (55, 55, 150, 100), (240, 55, 55, 100)

WINDOW_TITLE = "Strategy Game"
GAME_TIME_LIMIT = 150  # seconds; no single case needs more
# While an opponent thinks, a frame must come at least this often, and Escape must end the game this soon. A search
# that blocked the loop would take hundreds of ms; the limits leave room for a machine busy with a build beside.
FRAME_GAP_LIMIT_MS, QUIT_TIME_LIMIT = 250, 1.0
GOLD_LABEL = (0, 100, 200, 120)  # the human side's gold: it changes at the start of each of the human's turns
PLAY = QUIT = (300, 350)
CONTINUE, END_TURN, FORFEIT = (300, 250), (100, 50), (300, 50)
TUTORIAL_CAMERA = (-100, -100)
PURCHASE_PANEL, KNIGHT_CHOICE = (600, 230), (900, 270)  # a point of the purchase menu's white panel; its Knight
TILE_PIXELS = 94 * 94  # the inside of a tile, grid lines left out
WINDOW = [0, 0]  # where the game's window stands on the screen: shots and clicks are relative to it
SCALE = [1.0, 1.0]  # window pixels per pixel of the game's 1600 x 900 picture: below 1 on a small screen

def fail(message):
    raise AssertionError(message)

def bluish(c):  # the human side's pieces are tinted blue; no tile colour comes close
    return c[2] >= 80 and c[2] > c[0] + 50 and c[2] > c[1] + 50

def highlighted(c, over=MOVE_HIGHLIGHT):  # a beige tile under a translucent highlight
    a = over[3] / 255.0
    return all(abs(c[i] - round(BEIGE[i] * (1 - a) + over[i] * a)) <= 3 for i in range(3))

def menu_open(s):
    return s.px(*PURCHASE_PANEL) == WHITE

def tile_centre(tile, camera):
    return 100 * tile[0] - camera[0] + 50, 100 * tile[1] - camera[1] + 50

class Shot:
    """One screenshot of the root window, decoded from xwd's ZPixmap output, seen from the game's window."""

    def __init__(self, raw):
        header = struct.unpack(">25I", raw[:100])
        self.raw, self.bytes_per_line, (self.x0, self.y0) = raw, header[12], WINDOW
        self.width, self.height = header[4] - self.x0, header[5] - self.y0
        # The pixels end the file; xwd's header and colour map before them vary in length.
        self.offset = len(raw) - header[5] * self.bytes_per_line
        # Pixels are blue, green, red (and a pad byte when xwd reports 32 bits).
        self.step = header[11] // 8
        if self.step not in (3, 4) or header[7] != 0:
            fail("unexpected xwd format (bpp %d, byte order %d)" % (header[11], header[7]))
        self.black = re.compile(rb"\A(?:.{%d})*?\0\0\0" % self.step, re.S)  # a black pixel in a row

    def px(self, x, y):  # a pixel of the game's picture
        return self.at(int((x + 0.5) * SCALE[0]), int((y + 0.5) * SCALE[1]))

    def at(self, x, y):  # a pixel of the window
        i = self.offset + (y + self.y0) * self.bytes_per_line + (x + self.x0) * self.step
        return (self.raw[i + 2], self.raw[i + 1], self.raw[i])

    def count(self, x0, y0, x1, y1, pred, step=1):
        return sum(1 for y in range(max(0, y0), min(self.height, y1), step)
                   for x in range(max(0, x0), min(self.width, x1), step) if pred(self.px(x, y)))

    def in_tile(self, tile, camera, pred):
        x, y = tile_centre(tile, camera)
        return self.count(x - 47, y - 47, x + 47, y + 47, pred)

    def row(self, y):
        start = self.offset + (y + self.y0) * self.bytes_per_line + self.x0 * self.step
        return self.raw[start:start + self.width * self.step]

    def region(self, x0, y0, x1, y1):
        return [self.row(y)[x0 * self.step:x1 * self.step] for y in range(y0, y1)]

    def message_lines(self):
        """How many lines of black text the screen holds: bands of rows with a black pixel."""
        inked = [bool(self.black.search(self.row(y)[:1600 * self.step])) for y in range(min(self.height, 900))]
        return sum(1 for above, here in zip([False] + inked, inked) if here and not above)

    def changed_pixels(self, other, y0, y1):
        rows = [y for y in range(y0, y1) if self.row(y) != other.row(y)]
        return sum(1 for y in rows for x in range(self.width) if self.px(x, y) != other.px(x, y))

def take_shot():
    return Shot(subprocess.run(["xwd", "-root", "-silent"], capture_output=True, check=True, timeout=10).stdout)

def scene_of(s):
    if s.px(20, 20) == RED and s.px(220, 20) == YELLOW:
        return "board"
    if s.px(1500, 850) != RAYWHITE:  # a board; without End Turn and Forfeit during the opponent's turn
        return "board-busy" if s.px(20, 20) != RED else "unknown"
    buttons = s.px(250, 220), s.px(250, 320)
    if buttons[1] == GREEN:
        return "title"
    scene = {(RED, RAYWHITE): "transition", (RAYWHITE, RED): "end"}.get(buttons, "unknown")
    return "message" if scene == "unknown" and s.message_lines() >= 3 else scene  # why the game cannot go on

def map_number(s):
    # A fresh board, camera at (0, 0): Map1 blocks (black in any fog) (7,4), (8,4), not (8,6), (9,6); Map2 the reverse.
    first = tuple(s.px(100 * tx + 50, 100 * ty + 50) == BLACK for tx, ty in [(7, 4), (8, 4), (8, 6), (9, 6)])
    return {(True, True, False, False): 1, (False, False, True, True): 2}.get(first)

def read_code_glyphs(s):
    """Reads the result code drawn at (50, 60) in the default font at size 32: '1' is narrow, 'a' is
    x-height only, 'b' has an empty top right, '2' an empty upper left side, '0' is a closed box."""
    def dark(x0, x1, y0, y1):
        return any(sum(s.px(x, y)) < 300 for y in range(y0, y1 + 1) for x in range(x0, x1 + 1))
    columns = "".join("#" if dark(x, x, 45, 114) else "." for x in range(45, 800))
    glyphs = [(m.start() + 45, m.end() + 44) for m in re.finditer("#+", columns)]  # runs of inked columns
    rows = [y for y in range(45, 115) if dark(45, 800, y, y)]
    if not glyphs:
        return ""
    top, height = rows[0], rows[-1] - rows[0] + 1
    widest = max(b - a + 1 for a, b in glyphs)
    text = ""
    for a, b in glyphs:
        q = max(1, (b - a + 1) // 4)
        text += ("1" if b - a + 1 <= 0.6 * widest else
                 "a" if not dark(a, b, top, int(top + 0.2 * height)) else
                 "b" if not dark(b - q + 1, b, top, top + int(0.25 * height)) else
                 "2" if not dark(a, a + q - 1, top + int(0.2 * height), top + int(0.4 * height)) else "0")
    return text

def record_warning(s):
    """Pixels inked between the end screen's request and Quit, where it warns that the record is not on disk."""
    return s.count(40, 165, 1600, 220, lambda c: c != RAYWHITE, step=2)

def x_connect():
    """A raw X11 connection to the display: the socket, a read of exactly n bytes, the first free resource id and the
    root window. It brings the server's cookie when there is one (xvfb-run makes one)."""
    display = os.environ["DISPLAY"]
    cookie = subprocess.run(["xauth", "list", display], capture_output=True, text=True, timeout=10).stdout.split()
    name, data = (b"MIT-MAGIC-COOKIE-1", bytes.fromhex(cookie[2])) if len(cookie) >= 3 else (b"", b"")
    pad = lambda b: b + bytes(-len(b) % 4)  # noqa: E731
    sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    sock.settimeout(5)
    sock.connect("/tmp/.X11-unix/X" + display.lstrip(":").split(".")[0])
    def recv(n):
        data = sock.recv(n, socket.MSG_WAITALL)
        return data if len(data) == n else fail("short read from the X server")
    sock.sendall(struct.pack("<BxHHHHxx", 0x6C, 11, 0, len(name), len(data)) + pad(name) + pad(data))
    head = recv(8)
    setup = recv(struct.unpack("<H", head[6:8])[0] * 4)
    head[0] == 1 or fail("X connection refused")
    vendor, formats = struct.unpack("<H", setup[16:18])[0], setup[21]
    root = struct.unpack("<I", setup[32 + vendor + (-vendor % 4) + 8 * formats:][:4])[0]
    return sock, recv, struct.unpack("<I", setup[4:8])[0], root

def send_wm_delete(window):
    # Without a window manager nobody else would ask; xdotool's windowclose destroys the window instead.
    sock, recv, _, _ = x_connect()
    def intern(name):
        sock.sendall(struct.pack("<BBHHxx", 16, 0, 2 + len(name) // 4, len(name)) + name)  # names of 4n bytes
        reply = recv(32)
        return struct.unpack("<I", reply[8:12])[0] if reply[0] == 1 else fail("X error %d" % reply[1])
    with sock:
        protocols, delete = intern(b"WM_PROTOCOLS"), intern(b"WM_DELETE_WINDOW")
        event = struct.pack("<BBHII5I", 33, 32, 0, window, protocols, delete, 0, 0, 0, 0)
        sock.sendall(struct.pack("<BBHII", 25, 0, 11, window, 0) + event)
        intern(b"WM_PROTOCOLS")  # the round trip surfaces an error from the SendEvent, if any

def damage_times(windows, seconds, count=None, stop=None, ready=None):
    """Server times (ms) of the drawing into the windows (the whole screen when None) over `seconds`, until
    `count` frames came or the event `stop` is set: one burst of X DAMAGE events per frame, all with the same time.
    The event `ready` is set once the watch has begun."""
    stop = stop or threading.Event()
    sock, recv, id_base, root = x_connect()
    with sock:
        sock.sendall(struct.pack("<BxHHxx", 98, 4, 6) + b"DAMAGE\0\0")
        opcode, first_event = recv(32)[9:11]
        sock.sendall(struct.pack("<BBHII", opcode, 0, 3, 1, 1))
        recv(32)
        for i, w in enumerate(windows or [root]):
            sock.sendall(struct.pack("<BBHIIB3x", opcode, 1, 4, id_base + i + 1, w, 0))
        if ready:  # a round trip: whatever comes back first, the server has begun the watch
            sock.sendall(struct.pack("<BBHII", opcode, 0, 3, 1, 1))
            recv(32)
            ready.set()
        times, end = [], time.time() + seconds
        while (left := end - time.time()) > 0 and len(times) != count and not game_over() and not stop.is_set():
            if not select.select([sock], [], [], min(left, 0.1))[0]:
                continue
            event = recv(32)
            event[0] != 0 or fail("X error %d while watching the window" % event[1])
            stamp = struct.unpack("<I", event[12:16])[0]
            if event[0] & 0x7F == first_event and stamp not in times[-1:]:
                times.append(stamp)
    return times

GAME = [None]  # the game process of the case that runs

def game_over():
    return GAME[0] is not None and GAME[0].poll() is not None

def frames(n, timeout=20):
    """Waits until the screen has been drawn n more times (false when the game ended or 20 s passed first)."""
    return len(damage_times(None, timeout, n)) == n

@contextlib.contextmanager
def x_screen(width, height):
    """A private Xvfb screen of the given size for the game and every tool while the block runs."""
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "%dx%dx24" % (width, height),
                               "-nolisten", "tcp", "-noreset"], pass_fds=[write], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as answer:  # the server writes its display number once it takes connections
        number = answer.readline().strip() or fail("Xvfb %dx%d did not start" % (width, height))
    outer = os.environ["DISPLAY"]
    os.environ["DISPLAY"] = ":" + number
    try:
        yield
    finally:
        os.environ["DISPLAY"] = outer
        server.terminate()
        server.wait()

def xdotool(*args, check=True):
    return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True, check=check, timeout=10).stdout

def press(kind, what, held=4):
    # raylib drops a press and a release that it reads in one poll. The release waits for frames drawn after the
    # press: the X server may show a frame or two after the game drew it, so two would not be enough.
    xdotool(kind + "down", what)
    try:
        frames(held)
    finally:
        xdotool(kind + "up", what)

def click(point):
    xdotool("mousemove", int((point[0] + 0.5) * SCALE[0]) + WINDOW[0], int((point[1] + 0.5) * SCALE[1]) + WINDOW[1])
    frames(1)
    press("mouse", 1)

LIBC = ctypes.CDLL(None)  # the C library's rand, as the game draws it on Linux
LIBC.srand.argtypes = [ctypes.c_uint]

def planned_by(seed):
    """What the game draws from a seed: the scored opponents' order and the maps of the three later boards."""
    LIBC.srand(seed)
    draws = [LIBC.rand() for _ in range(4)]
    return ("b", "a") if draws[0] % 2 else ("a", "b"), [d % 2 + 1 for d in draws[1:]]

class Case:
    """One case: its game process, its files (kept in the artifacts if it fails), the waits and checks."""

    def __init__(self, name, args):
        self.name, self.args, self.proc, self.start = name, args, None, time.time()
        self.seed = args.seed if args.seed is not None else random.randrange(2 ** 31)
        self.maps = []  # the maps of the boards after the tutorial, as met
        self.dir = pathlib.Path(args.artifacts, name)
        shutil.rmtree(self.dir, ignore_errors=True)
        self.dir.mkdir(parents=True)
        SCALE[:] = [1.0, 1.0]

    def launch(self, cwd=None, binary=None, options=()):
        """Starts the game with the case's seed and `options` in `cwd` (the data folder by default) and finds its
        window."""
        preload = os.environ.get("TORVANE_GAME_PRELOAD")
        # The sanitizer build keeps the GL driver loaded in the game alone (see tests/CMakeLists.txt).
        env = dict(os.environ, LD_PRELOAD=preload) if preload else None
        command = ["timeout", "-k", "5", str(GAME_TIME_LIMIT)] + self.args.launcher.split() + [
            binary or self.args.binary, "--seed", str(self.seed), *options]
        with open(self.dir / "game-stdout.txt", "wb") as out, open(self.dir / "game-stderr.txt", "wb") as err:
            self.proc = subprocess.Popen(command, cwd=cwd or self.args.data, stdin=subprocess.DEVNULL, stdout=out,
                                         stderr=err, start_new_session=True, env=env)
        GAME[0] = self.proc
        self.find_window()

    def start_game(self, boards=0, cwd=None, binary=None, options=()):
        """Starts the game, waits for the title and plays on to the given board (1: the tutorial)."""
        self.launch(cwd, binary, options)
        shot = self.wait("title", 30)
        if boards:
            click(PLAY)
            shot = self.wait("board")
        for _ in range(boards - 1):
            shot = self.forfeit()
        return shot

    def replay_note(self):
        """What a failed case met and how to meet it again."""
        order, maps = planned_by(self.seed)
        drawn = "" if self.args.launcher else "; the seed draws opponents %s then %s, maps %s" % (*order, maps)
        met = ", ".join("Map%s" % m for m in self.maps) or "no board after the tutorial"
        here = pathlib.Path(__file__).resolve().parent
        tool = " --replay %s" % self.args.replay if self.args.replay else ""
        return ("  seed %d%s; met %s\n  replay: %s/run_e2e.sh %s --only %s --seed %d%s\n  or by hand: cd %s && %s --seed %d"
                % (self.seed, drawn, met, here, self.args.binary, self.name, self.seed, tool, self.args.data,
                   " ".join(self.args.launcher.split() + [self.args.binary]), self.seed))

    def find_window(self):
        """Finds the game's window; notes where it stands and its size once it stays put for 0.75 s (on a larger
        screen it opens centred, and under wine it may first stand elsewhere for a moment)."""
        seen = []
        for _ in range(160):
            self.check_alive("before its window settled")
            self.windows = [int(w) for w in xdotool("search", "--name", WINDOW_TITLE, check=False).split()]
            seen.append(self.windows and xdotool("getwindowgeometry", self.windows[-1], check=False))
            if seen[-1] and seen[-4:] == seen[-1:] * 4:
                WINDOW[:] = [int(v) for v in re.search(r"Position: (-?\d+),(-?\d+)", seen[-1]).groups()]
                self.size = tuple(int(v) for v in re.search(r"Geometry: (\d+)x(\d+)", seen[-1]).groups())
                return
            time.sleep(0.25)
        fail("no window named %r that stayed put within 40 s" % WINDOW_TITLE)

    def forfeit(self, then="board"):
        """Forfeits the board and waits for the next screen, past the transition with Continue for a board."""
        click(FORFEIT)
        if then == "board":
            self.wait("transition")
            click(CONTINUE)
        shot = self.wait(then)
        self.maps += [map_number(shot)] if then == "board" else []
        return shot

    def check_alive(self, when):
        if self.proc.poll() is not None:
            err = (self.dir / "game-stderr.txt").read_text(errors="replace").strip()
            fail("the game exited with status %s %s; stderr: %s" % (self.proc.returncode, when, err[-500:]))

    def wait_exit(self, what, seconds=10, expect=0):
        """Waits for the game to end and returns its status, checked unless `expect` is None."""
        try:
            status = self.proc.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            fail("%s: the game was still running %g s later" % (what, seconds))
        assert expect is None or status == expect, "%s: exit status %d, expected %s" % (what, status, expect)
        return status

    def save(self, label, s=None):
        s = s or take_shot()
        path = self.dir / ("%06.2f-%s.png" % (time.time() - self.start, label))
        subprocess.run(["convert", "xwd:-", path], input=s.raw, capture_output=True, timeout=20)
        return s

    def wait(self, label, timeout=20, done=None, between=lambda: time.sleep(0.1), what=None):
        """Takes shots, then runs `between`, until done(shot) (by default: scene `label` shows); returns the shot."""
        done = done or (lambda s: scene_of(s) == label)
        deadline = time.time() + timeout
        while not done(s := take_shot()):
            self.check_alive("while waiting for " + label)
            if time.time() > deadline:
                self.save("timeout-" + label, s)
                fail("waited %g s for %s; the last shot looked like %r" % (timeout, what or label, scene_of(s)))
            between()
        return self.save(label, s)

    def act(self, label, point, done, what):
        """Clicks a point and waits for the shot where done(shot) holds: `what` the click should bring."""
        click(point)
        return self.wait(label, done=done, what=what)

    def after_frames(self, label, n=5):
        """The shot once the game has drawn n frames: for what must not happen."""
        frames(n) or self.check_alive("while it drew " + label) or fail("fewer than %d frames drawn in 20 s" % n)
        return self.save(label)

    def end_turn(self, label, timeout=20):
        """Ends the human's turn and waits for the next one (the gold label changes with the income) or for the
        game's end; returns that shot and the scenes seen on the way."""
        before, seen = take_shot(), set()
        def back(s):
            seen.add(scene := scene_of(s))
            return scene == "transition" or (scene == "board" and s.region(*GOLD_LABEL) != before.region(*GOLD_LABEL))
        click(END_TURN)
        return self.wait(label, timeout, back, what="the human's next turn"), seen

    def finish(self, passed):
        if self.proc is not None and self.proc.poll() is None:
            os.killpg(self.proc.pid, 9)  # the game runs in its own session started here: end that group only
            self.proc.wait()
        if passed:
            shutil.rmtree(self.dir, ignore_errors=True)

def case_click_through(case):
    """Every scene in order by their buttons; the end screen's code names each scored map."""
    tutorial = case.start_game(boards=1)
    # The tutorial camera starts at (-100, -100): the board leaves a 100-pixel margin.
    assert tutorial.px(50, 500) == RAYWHITE, "tutorial: no empty margin left of the board at (50,500)"
    assert tutorial.in_tile((2, 3), TUTORIAL_CAMERA, bluish) > 500, "tutorial: no blue Knight on tile (2,3)"
    for name in ["practice", "first scored", "second scored"]:
        b = case.forfeit()
        assert b.px(50, 500) != RAYWHITE, "%s board: the camera should start at (0,0)" % name
        assert case.maps[-1] is not None, "%s board: the layout matches neither Map1.txt nor Map2.txt" % name
    end = case.forfeit("end")
    assert end.count(0, 0, 800, 500, lambda c: c == GREEN, step=2) == 0, "green on the end screen, where Quit is red"
    assert record_warning(end) == 0, "a plain run's end screen warns of a record"
    code = read_code_glyphs(end)
    print("  result code on screen: %r" % code)
    assert re.fullmatch(r"a0[12]b0[12]|b0[12]a0[12]", code), "code %r: not two forfeits, distinct opponents" % code
    # Both scored games were forfeited; the digits after each 0 are the maps just seen.
    assert code[2] + code[5] == "%d%d" % tuple(case.maps[1:]), "code %r after boards of Map%d, Map%d" % (code, *case.maps[1:])
    if not case.args.launcher:  # under wine the game draws from Windows' own rand
        order, maps = planned_by(case.seed)
        assert (code[0] + code[3], case.maps) == ("".join(order), maps), \
            "seed %d draws opponents %s, maps %s; the game played %s, %s" % (case.seed, order, maps, code[::3], case.maps)
    click(QUIT)
    case.wait_exit("Quit")

def scroll_to_castle(case):
    """Holds S until the tutorial board's lower edge shows: the castle on (2,11) is then in view and the edge gives
    the scroll. Returns the camera and the castle's point on the screen."""
    edge = lambda s: max([y + 1 for y in range(900) if s.px(150, y) != RAYWHITE], default=900)  # noqa: E731
    scrolled = case.wait("scrolled", 30, lambda s: edge(s) < 880, lambda: press("key", "s", 12))
    cam = (-100, 1500 - edge(scrolled))
    castle = tile_centre((2, 11), cam)
    assert castle[1] > 150, "scrolled too far: castle (2,11) would be at %s" % (castle,)
    assert scrolled.in_tile((2, 11), cam, bluish) > 500, "no blue castle on tile (2,11) after scrolling"
    return cam, castle

def case_tutorial_play(case):
    """Select, move, undo and buy on the tutorial board."""
    cam = TUTORIAL_CAMERA
    before = case.start_game(boards=1)
    assert case.size == (1600, 900), "on a 1600 x 900 screen the window is %dx%d" % case.size
    lit = lambda s, tile: s.in_tile(tile, cam, highlighted) > TILE_PIXELS // 2  # noqa: E731  (both follow cam)
    blue = lambda s, tile: s.in_tile(tile, cam, bluish) > 500  # noqa: E731
    assert not lit(before, (3, 3)), "tile (3,3) is highlighted before anything was selected"
    sel = case.act("knight-selected", tile_centre((2, 3), cam), lambda s: lit(s, (3, 3)),
                   "tile (3,3) highlighted after a click on the Knight")
    for tile in [(4, 3), (2, 2), (1, 3), (2, 4)]:
        assert lit(sel, tile), "after selecting the Knight, tile %s is not highlighted" % (tile,)
    # The enemy Knight's tile is in reach by distance but occupied: no move there.
    assert sel.in_tile((7, 3), cam, highlighted) == 0, "the enemy Knight's tile (7,3) is offered as a move"
    moved = case.act("knight-moved", tile_centre((4, 3), cam), lambda s: blue(s, (4, 3)), "the Knight on (4,3)")
    assert not blue(moved, (2, 3)), "the Knight still shows on (2,3) after its move to (4,3)"
    assert moved.in_tile((3, 3), cam, highlighted) == 0, "highlights stayed after the move"
    assert moved.in_tile((2, 3), cam, lambda c: c == BEIGE) > TILE_PIXELS * 0.9, "(2,3) not plain after the Knight left"
    press("key", "z")
    undone = case.wait("undo", done=lambda s: blue(s, (2, 3)), what="Z to put the Knight back on (2,3)")
    assert not blue(undone, (4, 3)), "after Z the Knight still shows on (4,3)"
    case.act("reselected", tile_centre((2, 3), cam), lambda s: lit(s, (4, 3)),
             "tile (4,3) highlighted: after Z the Knight can move again")
    case.act("moved-again", tile_centre((4, 3), cam), lambda s: blue(s, (4, 3)), "the Knight's second move to (4,3)")
    # 100 gold at the start and 100 more a turn (the passive opponent plays none): 300, short of a 400 Knight.
    for turn in range(2):
        case.end_turn("turn%d" % (turn + 2))
    cam, castle = scroll_to_castle(case)
    knight_price, archer_price = (860, 260), (860, 360)
    menu = case.act("menu-300-gold", castle, menu_open, "the purchase menu after a click on the own castle")
    assert menu.px(20, 20) != RED and menu.px(220, 20) != YELLOW, "End Turn and Forfeit show over the menu"
    assert menu.px(*knight_price) == DARKGREEN, "with 300 gold the 400 Knight should be disabled"
    case.act("exit", (700, 700), lambda s: not menu_open(s), "Exit to close the purchase menu")
    case.end_turn("turn4")  # 400 gold now
    menu = case.act("menu-400-gold", castle, menu_open, "the purchase menu at 400 gold")
    assert menu.px(*knight_price) == GREEN, "with exactly 400 gold the Knight should be enabled"
    assert menu.px(*archer_price) == DARKGREEN, "with 400 gold the 600 Archer should be disabled"
    placing = case.act("placing", KNIGHT_CHOICE, lambda s: not menu_open(s), "choosing the Knight to close the menu")
    for tile in [(3, 11), (1, 11), (2, 10), (2, 12)]:
        assert lit(placing, tile), "free tile %s is not offered for the Knight" % (tile,)
    assert not blue(placing, (3, 11)), "tile (3,11) already holds a blue piece"
    bought = case.act("bought", tile_centre((3, 11), cam), lambda s: blue(s, (3, 11)), "a new blue Knight on (3,11)")
    assert bought.in_tile((1, 11), cam, highlighted) == 0, "placement highlights stayed after the purchase"
    # One purchase per castle per turn: the castle no longer opens its menu.
    click(castle)
    assert not menu_open(case.after_frames("castle-again")), "the castle opened its menu again"

def case_scored_game(case):
    """A few turns against a scored opponent: it plays visibly, then forfeit."""
    case.start_game(boards=3)
    changed_turns = busy_turns = 0
    # Fog and the screen's edge hide much of its play: a capture or attack shows in turn 2 to 4. Play 3 to 6 turns.
    for turn in range(1, 7):
        before = case.save("turn%d-before" % turn)
        after, seen = case.end_turn("turn%d-after" % turn, 90)
        game_over = scene_of(after) == "transition"
        diff = after.changed_pixels(before, 130, 900)
        print("  turn %d: %d board pixels changed%s" % (turn, diff, ", the opponent won" if game_over else ""))
        busy_turns += "board-busy" in seen
        changed_turns += diff > 2000
        if game_over or (turn >= 3 and changed_turns):
            break
    # It plays its plan back one action per half second, the player's buttons hidden: some of it must show.
    assert busy_turns >= 1 or game_over, "End Turn and Forfeit never hid during the opponent's turns"
    assert changed_turns >= 1 or game_over, "the board never changed during the opponent's turns"
    if not game_over:
        case.forfeit("transition")
    case.after_frames("transition-stays", 30)  # the game must not end on its own here
    press("key", "Escape")
    case.wait_exit("Escape on the transition")

def case_escape_on_board(case):
    case.start_game(boards=1)
    press("key", "Escape")
    case.wait_exit("Escape on the tutorial board")

def case_close_window_on_end_screen(case):
    case.start_game(boards=4)
    case.forfeit("end")
    for w in case.windows:
        send_wm_delete(w)
    case.wait_exit("closing the window on the end screen")

def wait_for_message(case, label, lines):
    """Waits for the screen that says why the game cannot go on, and checks that it stays."""
    shot = case.wait(label, done=lambda s: scene_of(s) == "message" and s.message_lines() >= lines,
                     what="%d or more lines of a message on a plain screen" % lines)
    case.after_frames(label + "-stays", 30)
    return shot

def case_broken_map(case):
    """A tutorial map with a bad tile character stops the game: the window names file and line until Escape."""
    path = shutil.copytree(case.args.data, case.dir / "data") / "TutorialMap.txt"
    lines = path.read_text().split("\n")
    lines[2] = lines[2][:2] + "x" + lines[2][3:]  # line 3 keeps its length but holds an 'x' at column 2
    path.write_text("\n".join(lines))
    case.start_game(cwd=path.parent)
    click(PLAY)
    # The problem, file and line, where the files were read, how to quit.
    wait_for_message(case, "message", 4)
    press("key", "Escape")
    case.wait_exit("Escape on the message of a broken tutorial map", expect=1)
    err = (case.dir / "game-stderr.txt").read_text(errors="replace")
    assert "TutorialMap.txt:3:" in err, "stderr does not name TutorialMap.txt line 3: %r" % err[-300:]
    assert str(path.parent) in err, "stderr does not name the folder the files came from: %r" % err[-300:]

def case_started_elsewhere(case):
    """The download's way: the game with its files in a folder of their own, started from another working
    directory, finds them beside itself and plays."""
    game, elsewhere = case.dir / "game", case.dir / "elsewhere"
    shutil.copytree(case.args.data, game)
    shutil.copy2(case.args.binary, game)
    elsewhere.mkdir()
    case.start_game(boards=3, cwd=elsewhere, binary=game / pathlib.Path(case.args.binary).name)
    assert case.maps[-1] is not None, "the board's layout matches neither Map1.txt nor Map2.txt"
    press("key", "Escape")
    case.wait_exit("Escape on the first scored board")

def case_no_data_files(case):
    """The game alone, started elsewhere: the window lists the files missing from both folders until it is
    closed, and leaves no file in the record folder it was given. A command line it does not understand, or a
    record folder it cannot write into, ends it at once."""
    alone, elsewhere = case.dir / "game-alone", case.dir / "started-here"
    alone.mkdir()
    elsewhere.mkdir()
    binary = shutil.copy2(case.args.binary, alone)
    # Refused before any window: without a display, one would fail to open.
    for args, said in [(["--seed", "soon"], "usage"), (["--record", str(alone / "none")], "does not exist"),
                       (["--record", binary], "is not a folder")]:
        wrong = subprocess.run(case.args.launcher.split() + [binary] + args, capture_output=True, text=True,
                               timeout=60, env=dict(os.environ, DISPLAY=""))
        assert wrong.returncode == 2 and said in wrong.stderr, \
            "%s: status %d, stderr %r" % (" ".join(args), wrong.returncode, wrong.stderr[-300:])
    records = case.dir / "records"
    records.mkdir()
    case.launch(cwd=elsewhere, binary=binary, options=["--record", records])
    wait_for_message(case, "message", 4)
    for w in case.windows:
        send_wm_delete(w)
    case.wait_exit("closing the window on the message of missing files", expect=1)
    assert not list(records.iterdir()), "a game that played nothing left %s" % list(records.iterdir())
    err = (case.dir / "game-stderr.txt").read_text(errors="replace")
    # Under wine the folders have Windows names: their last parts tell them apart.
    for needed in [alone.name, elsewhere.name, "TutorialMap.txt", "assets/castle.png", "UnitColor.fs"]:
        assert needed in err, "stderr does not name %s: %r" % (needed, err[-500:])

def case_thinking_keeps_drawing(case):
    """The two-candidate opponent plans 2^18 complete turns: frames keep coming, Escape quits at once."""
    data = shutil.copytree(case.args.data, case.dir / "data")
    # 17 red Knights in sight of 5 blue ones, and the castles: 18 or more steps for the opponent.
    pieces = ["0,%d,%d,1" % (9 + i % 3, i // 3) for i in range(17)] + ["3,15,8,1", "3,0,4,0"]
    rows = ["0" * 16] * 9 + [""] + pieces + ["0,5,%d,0" % r for r in (0, 2, 4, 6, 8)]
    for name in ("Map1.txt", "Map2.txt"):
        (data / name).write_text("\n".join(rows) + "\n")
    while case.args.seed is None and planned_by(case.seed)[0][0] != "b":  # the two-candidate opponent first
        case.seed += 1
    case.start_game(boards=3, cwd=data)
    for board in range(2):
        before = case.save("human-turn")
        click(END_TURN)
        drawn = damage_times(case.windows, 1.5)
        during = case.save("opponent-turn")
        # The step search plays its first move within a second; the two-candidate one still thinks.
        if scene_of(during) == "board-busy" and during.changed_pixels(before, 130, 900) == 0:
            break
        assert board == 0, "the second scored opponent did not think either; one of them must"
        case.wait("board", 60)
        case.forfeit()
    gaps = [b - a for a, b in zip(drawn, drawn[1:])] or [1500]
    print("  while thinking: %d frames in 1.5 s, longest gap %d ms" % (len(drawn), max(gaps)))
    t0 = time.time()
    xdotool("keydown", "Escape")
    case.wait_exit("Escape while the opponent thinks", 5)
    quit_time = time.time() - t0
    xdotool("keyup", "Escape", check=False)
    print("  Escape ended the game in %.3f s" % quit_time)
    if case.args.timing_limits:  # not in the sanitizer build, many times slower
        assert max(gaps) <= FRAME_GAP_LIMIT_MS, "a frame gap of %d ms while the opponent thinks" % max(gaps)
        assert quit_time <= QUIT_TIME_LIMIT, "Escape took %.2f s to end the game" % quit_time

def opponent_turn_gap(case):
    """Ends the human's turn on a scored board and waits for the next one; returns the longest gap (ms) between
    the frames drawn in between, watched from another thread while this one waits."""
    stop, ready, drawn = threading.Event(), threading.Event(), []
    watcher = threading.Thread(target=lambda: drawn.extend(damage_times(case.windows, 300, stop=stop, ready=ready)))
    watcher.start()
    try:
        ready.wait(20) or fail("the frame watch did not begin within 20 s")
        shot, _ = case.end_turn("opponent-turn", 90)
    finally:
        stop.set()
        watcher.join()
    scene_of(shot) == "board" or fail("the scored opponent won in its first turn")
    len(drawn) >= 2 or fail("%d frames seen during the opponent's turn" % len(drawn))
    return max(b - a for a, b in zip(drawn, drawn[1:]))

def case_recorded_study(case):
    """The study played with --record: the replay tool finds every game of the record as played, its summary holds
    what the driver did and the record's code is the one on the end screen. The opponent's first turn is played
    again without a record, for the frame gaps of both."""
    case.args.replay or fail("this case needs --replay, the path of torvane-replay")
    cam, knight, beside, enemy = TUTORIAL_CAMERA, (2, 3), (6, 3), (7, 3)
    lit = lambda s, tile, over=MOVE_HIGHLIGHT: s.in_tile(tile, cam, lambda c: highlighted(c, over)) > 500  # noqa: E731
    blue = lambda s, tile: s.in_tile(tile, cam, bluish) > 500  # noqa: E731
    records = (case.dir / "records").resolve()
    records.mkdir()
    case.start_game(boards=1, options=["--record", records])
    for label in ("moved", "moved-again"):  # the Knight to the enemy Knight's side, taken back once with Z
        case.act(label + "-selected", tile_centre(knight, cam), lambda s: lit(s, beside), "(6,3) lit for the Knight")
        case.act(label, tile_centre(beside, cam), lambda s: blue(s, beside), "the Knight on (6,3)")
        if label == "moved":
            press("key", "z")
            case.wait("undone", done=lambda s: blue(s, knight), what="Z to put the Knight back on (2,3)")
    x, y = tile_centre(enemy, cam)
    bar = (x + 25, y + 56)  # the right half of the enemy Knight's health bar, below its tile
    aim = case.act("aim", tile_centre(beside, cam), lambda s: lit(s, enemy, ATTACK_HIGHLIGHT), "(7,3) lit to attack")
    assert aim.px(*bar) == RED, "the enemy Knight's health bar is not full before the attack: %s" % (aim.px(*bar),)
    case.act("attacked", (x, y), lambda s: s.px(*bar) == BLACK, "the enemy Knight's health bar halved")
    for turn in range(3):  # 100 gold at the start and 100 a turn: 400 buys a Knight
        case.end_turn("turn%d" % (turn + 2))
    castle_cam, castle = scroll_to_castle(case)
    # NOTE: the attack's press stayed on the enemy Knight (the human side took its release), and the Knight comes
    # before the castle on the board: the castle's first release goes to the Knight and clicks nothing.
    click(castle)
    assert not menu_open(case.after_frames("castle-first")), "the first click after the attack opened the menu"
    case.act("menu", castle, menu_open, "the purchase menu")
    case.act("placing", KNIGHT_CHOICE, lambda s: not menu_open(s), "choosing the Knight to close the menu")
    case.act("bought", tile_centre((3, 11), castle_cam), lambda s: s.in_tile((3, 11), castle_cam, bluish) > 500,
             "a new blue Knight on (3,11)")
    case.forfeit()
    case.forfeit()
    gap_recorded = opponent_turn_gap(case)
    case.forfeit()
    code = read_code_glyphs(case.forfeit("end"))
    click(QUIT)
    case.wait_exit("Quit")
    maps = case.maps[:]
    case.start_game(boards=3)  # the same seed: the same opponent on the same board
    assert case.maps[-1] == maps[1], "without the record the first scored board is Map%s, not Map%s" % (
        case.maps[-1], maps[1])
    gap_plain = opponent_turn_gap(case)
    press("key", "Escape")
    case.wait_exit("Escape on the first scored board")
    print("  the opponent's first turn: longest frame gap %d ms with the record, %d ms without" % (
        gap_recorded, gap_plain))

    files = list(records.iterdir())
    assert len(files) == 1 and files[0].suffix == ".jsonl", "the records folder holds %s" % files
    lines = files[0].read_text().splitlines()
    print("  the record: %d bytes, %d lines" % (files[0].stat().st_size, len(lines)))
    def tool(*options):
        return subprocess.run([case.args.replay, *options, files[0]], capture_output=True, text=True, timeout=300)
    replay = tool()
    assert replay.returncode == 0, "torvane-replay: status %d, %s%s" % (
        replay.returncode, replay.stdout[-500:], replay.stderr[-500:])
    summary = tool("--summary")
    assert summary.returncode == 0, "torvane-replay --summary: status %d, %s" % (
        summary.returncode, summary.stderr[-500:])
    columns = ("game", "opponent", "map", "outcome", "human_turns", "opponent_turns", "undos", "human_bought")
    rows = [tuple(row[c] for c in columns) for row in csv.DictReader(io.StringIO(summary.stdout))]
    names = ["TutorialMap.txt"] + ["Map%s.txt" % m for m in maps]
    opponents = ["default", "default", *planned_by(case.seed)[0]]
    # Turns ended by the human (Forfeit ends one) and by the opponent, Z pressed, units bought: on the tutorial
    # three End Turns, one Z and a Knight, on the first scored board one End Turn.
    counts = [(4, 3, 1, 1), (1, 0, 0, 0), (2, 1, 0, 0), (1, 0, 0, 0)]
    expected = [(str(g + 1), opponents[g], names[g], "forfeit", *map(str, counts[g])) for g in range(4)]
    assert rows == expected, "the summary's rows %s, not %s\n%s" % (rows, expected, summary.stdout)
    events = [json.loads(line) for line in lines[1:]]
    human = [(e["event"], e.get("from"), e.get("to")) for e in events
             if e.get("side") == 0 and e["event"] in ("move", "attack", "buy", "undo")]
    moves = [("move", [2, 3], [6, 3]), ("undo", None, None), ("move", [2, 3], [6, 3]), ("attack", [6, 3], [7, 3]),
             ("buy", [2, 11], [3, 11])]
    assert human == moves, "the record's actions of the human side %s, not %s" % (human, moves)
    recorded = [e["code"] for e in events if e["event"] == "code"]
    assert recorded == [code], "the record's code lines %s; the end screen showed %r" % (recorded, code)
    actions = tool("--actions")
    assert actions.returncode == 0, "torvane-replay --actions: status %d, %s" % (actions.returncode, actions.stderr)
    # The clicks above, an undo naming the move it took back.
    clicked = [("move", "2 3", "6 3"), ("undo", "2 3", "6 3"), ("move", "2 3", "6 3"), ("attack", "6 3", "7 3"),
               ("buy", "2 11", "3 11")]
    rows = [(r["action"], r["from"], r["to"]) for r in csv.DictReader(io.StringIO(actions.stdout))
            if r["side"] == "0" and r["action"] in ("move", "attack", "buy", "undo")]
    assert rows == clicked, "the actions table's rows of the human side %s, not %s" % (rows, clicked)

def case_small_screen(case):
    """On a 1366 x 768 screen the window shrinks to the largest of the game's shape and stands wholly on the screen;
    the picture shrinks with it and a click lands where it shows."""
    with x_screen(1366, 768):
        case.launch()
        (x, y), (w, h) = WINDOW, case.size
        assert x >= 0 and y >= 0 and x + w <= 1366 and y + h <= 768, "window %dx%d at (%d,%d) leaves the screen" % (
            w, h, x, y)
        # No window manager here, so no frame: the full height is free.
        assert h == 768 and abs(w - h * 16 / 9) < 1, "window %dx%d: not the largest 16:9 on the screen" % (w, h)
        SCALE[:] = [w / 1600, h / 900]
        title = case.wait("title", 30)
        # Play's green spans columns 200 to 400 of the picture, above its caption: the same share of the window.
        row = int(310 * SCALE[1])
        green = [i for i in range(w) if title.at(i, row) == GREEN]
        want = (200 * SCALE[0], 400 * SCALE[0])
        assert green and abs(green[0] - want[0]) <= 2 and abs(green[-1] + 1 - want[1]) <= 2, \
            "Play's green on row %d spans %s, not columns %.0f to %.0f" % (row, green and (green[0], green[-1]), *want)
        click(PLAY)
        case.wait("board")
        press("key", "Escape")
        case.wait_exit("Escape on the small screen")

def case_broken_study(case):
    """A study file with a mistake, named with --study, stops the game before the title: the window and stderr name
    the file and the line. Away from the maps it names, it finds them among the game's files."""
    study = (case.dir / "bad-study.toml").resolve()
    text = (pathlib.Path(case.args.data) / "study.toml").read_text()
    study.write_text(text.replace('opponent = "b"', 'opponent = "c"'))
    line = text[:text.index('opponent = "b"')].count("\n") + 1
    case.launch(options=["--study", study])
    wait_for_message(case, "message", 4)
    press("key", "Escape")
    case.wait_exit("Escape on the message of a broken study file", expect=1)
    err = (case.dir / "game-stderr.txt").read_text(errors="replace")
    assert "%s:%d: unknown opponent" % (study, line) in err, "stderr does not name line %d: %r" % (line, err[-300:])

def case_three_games(case):
    """The study with three scored games, "a", "b", then the one drawn first again: its code has three groups in
    playing order, each the opponent drawn into the game's place and the map met. Its record names the study and
    replays with it."""
    case.args.replay or fail("this case needs --replay, the path of torvane-replay")
    records = (case.dir / "records").resolve()
    records.mkdir()
    study = pathlib.Path(case.args.data, "studies", "three-games.toml")
    case.start_game(boards=1, options=["--study", study, "--record", records])
    for name in ["practice", "first scored", "second scored", "third scored"]:
        case.forfeit()
        assert case.maps[-1] is not None, "%s board: the layout matches neither Map1.txt nor Map2.txt" % name
    code = read_code_glyphs(case.forfeit("end"))
    print("  result code on screen: %r" % code)
    LIBC.srand(case.seed)
    draws = [LIBC.rand() for _ in range(5)]  # the order, then the maps of the practice game and the three others
    first, second = ("b", "a") if draws[0] % 2 else ("a", "b")
    expected = "".join("%s0%d" % (who, d % 2 + 1) for who, d in zip((first, second, first), draws[2:]))
    assert code == expected, "seed %d: code %r, expected %r (maps met %s)" % (case.seed, code, expected, case.maps)
    click(QUIT)
    case.wait_exit("Quit")
    [record] = list(records.iterdir())
    first = json.loads(record.read_text().splitlines()[0])
    assert (first["study"], first["studyText"]) == ("three-games.toml", study.read_text()), "the record's study"
    for options in ([], ["--summary"]):
        run = subprocess.run([case.args.replay, *options, record], capture_output=True, text=True, timeout=300)
        assert run.returncode == 0, "torvane-replay %s: status %d, %s%s" % (options, run.returncode, run.stdout[-500:],
                                                                            run.stderr[-500:])
    rows = list(csv.DictReader(io.StringIO(run.stdout)))
    assert [(r["study"], r["record"]) for r in rows] == [("three-games.toml", "complete")] * 5, run.stdout

def case_german(case):
    """The German translation, in the shipped font, clicked through to its end screen and Quit: its screens stand where
    the plain study's do, and the record's code is the one the seed draws (the glyph reader knows the built-in font
    only)."""
    records = case.dir / "records"
    records.mkdir()
    case.start_game(boards=1, options=["--study", pathlib.Path(case.args.data, "studies", "german.toml"),
                                       "--record", records])
    for name in ["practice", "first scored", "second scored"]:
        case.forfeit()
        assert case.maps[-1] is not None, "%s board: the layout matches neither Map1.txt nor Map2.txt" % name
    case.forfeit("end")
    click(QUIT)
    case.wait_exit("Quit")
    err = (case.dir / "game-stderr.txt").read_text(errors="replace")
    assert "font" not in err, "stderr: %r" % err[-300:]
    (first, second), maps = planned_by(case.seed)
    events = [json.loads(line) for f in records.iterdir() for line in f.read_text().splitlines()[1:]]
    codes = [e["code"] for e in events if e["event"] == "code"]
    expected = "%s0%d%s0%d" % (first, maps[1], second, maps[2])
    assert codes == [expected], "seed %d: the record's codes %s, expected %r" % (case.seed, codes, expected)

def case_balanced(case):
    """The balanced study: two simulated participants (no window) take two conditions among themselves; the game
    gives a run the least-filled condition of the real runs, --condition 5 is a test that counts for nobody, and
    the next real run takes another condition than the first. The simulated records replay as played."""
    records = (case.dir / "records").resolve()
    records.mkdir()
    study = pathlib.Path(case.args.data, "studies", "balanced.toml").resolve()
    # A fixed seed: how long the simulated games last varies by seed, and in the sanitizer build a long one (an
    # opponent grown to 19 pieces) thinks for minutes. This seed's pair takes half a minute there.
    run = subprocess.run([*case.args.launcher.split(), case.args.binary, "--simulate", "2", "--record", records,
                          "--study", study, "--seed", "1"], capture_output=True, text=True, timeout=600,
                         cwd=case.args.data)
    assert run.returncode == 0, "status %d: %s%s" % (run.returncode, run.stdout[-500:], run.stderr[-500:])
    simulated = [json.loads(f.read_text().splitlines()[0]) for f in records.glob("*.jsonl")]
    assert [(f["source"], f["assigned"], f["conditions"]) for f in simulated] == [("simulated", "balanced", 8)] * 2
    assert simulated[0]["condition"] != simulated[1]["condition"], "both simulated runs took one condition"
    if case.args.replay:
        replay = subprocess.run([case.args.replay, records], capture_output=True, text=True, timeout=300)
        assert replay.returncode == 0, "torvane-replay: %s%s" % (replay.stdout[-500:], replay.stderr[-500:])
    taken = []
    for options, want in [([], "balanced"), (["--condition", "5"], "forced"), ([], "balanced")]:
        before = set(records.glob("*.jsonl"))
        case.start_game(options=["--study", study, "--record", records, *options])
        press("key", "Escape")
        case.wait_exit("Escape on the title")
        [new] = set(records.glob("*.jsonl")) - before
        first = json.loads(new.read_text().splitlines()[0])
        assert (first["source"], first["assigned"]) == ("study", want), "the run was %s, %s" % (
            first["source"], first["assigned"])
        taken.append(first["condition"])
    assert taken[1] == 5 and taken[2] != taken[0], "the real runs took conditions %s" % taken

# The record on a small disk: cases of a file of their own, which takes the helpers above from this module.
sys.modules.setdefault("e2e_driver", sys.modules[__name__])
from record_disk import *  # noqa: E402,F401,F403

CASES = {name[5:].replace("_", "-"): fn for name, fn in globals().items() if name.startswith("case_")}

def main():
    parser = argparse.ArgumentParser()
    for option in ("--binary", "--data", "--artifacts"):
        parser.add_argument(option, required=True)
    parser.add_argument("--only", action="append", default=[])
    parser.add_argument("--launcher", default="", help="command that runs the binary, e.g. wine")
    parser.add_argument("--replay", help="the path of torvane-replay, which checks the records")
    parser.add_argument("--seed", type=int, help="the game's seed in every case, to replay a failed one")
    parser.add_argument("--no-timing-limits", dest="timing_limits", action="store_false",
                        help="measure frame gaps and the quit time but do not hold them to limits")
    args = parser.parse_args()
    sys.stdout.reconfigure(line_buffering=True)
    results, start = [], time.time()
    for name in [n for n in CASES if not args.only or n in args.only]:
        print("RUN  %s" % name)
        case, t0, error = Case(name, args), time.time(), None
        try:
            CASES[name](case)
        except Exception as e:  # a failed check, and a broken tool or driver bug too
            error = e if isinstance(e, AssertionError) else "%s: %s" % (type(e).__name__, e)
            print("  FAILED: %s\n%s" % (error, case.replay_note()))
        results.append(error is None)
        case.finish(results[-1])
        print("%s %s (%.1f s)%s" % ("PASS" if results[-1] else "FAIL", name, time.time() - t0,
                                     "" if results[-1] else "; files in %s" % case.dir))
    print("total %.1f s\n%d passed, %d failed" % (time.time() - start, sum(results), results.count(False)))
    return 0 if results and all(results) else 1

if __name__ == "__main__":
    sys.exit(main())
