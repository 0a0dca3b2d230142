"""A scripted player for a running game: it turns with the mouse, walks with W, learns where it
stands from the line each throw logs, follows a planned walk, throws at bonus items and walks
through the finish line.

The view turns 0.005 radians per pixel of mouse displacement from the window centre and the game
puts the cursor back to the centre every frame, so a turn is one pointer move that the player
waits to see taken back. Frame times vary a lot under software rendering, so walking is never
trusted blindly: every stretch ends with a throw over the shoulder whose log line tells the true
position and view.
"""

import math
import time

from harness import HarnessError, scaled
import world as w
from world import TURN_PER_PIXEL

POSE_LINE = (r"Adding Ball on position: (-?[\d.]+)/(-?[\d.]+)/(-?[\d.]+) \| "
             r"Direction: (-?[\d.]+)/(-?[\d.]+)/(-?[\d.]+)")
GOAL_LINE = r"^GOAL REACHED!!!$"
PRESS_W, RELEASE_W = r"^Key '87', state '1'$", r"^Key '87', state '0'$"
FULL_TURN = 1257         # pixels of a whole turn, near enough (2 pi / 0.005)
PITCH_LIMIT = 157        # pixels of the 45 degree pitch limit
LOOK_BACK = 0.5          # pitch of the throws that tell the position: far behind
LONGEST_WALK = 2.5       # seconds of W between two position checks
FREE_PATH = 0.95         # a straight walk keeps at least this from every wall's centre line
TWO_PI = 2.0 * math.pi


def wrap(angle):
    """An angle difference in (-pi, pi]."""
    return -((-angle + math.pi) % TWO_PI - math.pi)


class Pointer:
    """The X pointer of one display, moved with XWarpPointer and read with XQueryPointer, both
    done when the call returns. xdotool moves it through the XTest input queue instead, which
    the server may get to later: a move could then look taken back before the game saw it."""

    def __init__(self, display):
        import ctypes
        import ctypes.util
        self._x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self._x.XOpenDisplay.restype = ctypes.c_void_p
        self._x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self._x.XDefaultRootWindow.restype = ctypes.c_ulong
        self._x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self._x.XWarpPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                         ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                         ctypes.c_uint, ctypes.c_int, ctypes.c_int]
        self._x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self._x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        ulong, intp = ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_int)
        self._x.XQueryPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ulong, ulong, intp,
                                          intp, intp, intp, ctypes.POINTER(ctypes.c_uint)]
        self._ctypes = ctypes
        self._display = self._x.XOpenDisplay(display.encode())
        if not self._display:
            raise HarnessError("cannot open the X display %s" % display)
        self._root = self._x.XDefaultRootWindow(self._display)

    def move(self, x, y):
        """Puts the pointer at screen position (x, y); done when this returns."""
        self._x.XWarpPointer(self._display, 0, self._root, 0, 0, 0, 0, int(x), int(y))
        self._x.XSync(self._display, 0)

    def where(self):
        c = self._ctypes
        root, child = c.c_ulong(), c.c_ulong()
        x, y, wx, wy, mask = c.c_int(), c.c_int(), c.c_int(), c.c_int(), c.c_uint()
        self._x.XQueryPointer(self._display, self._root, c.byref(root), c.byref(child),
                              c.byref(x), c.byref(y), c.byref(wx), c.byref(wy), c.byref(mask))
        return x.value, y.value

    def close(self):
        if self._display:
            self._x.XCloseDisplay(self._display)
            self._display = None


def _sign(value):
    return 1 if value > 0 else -1


class Pose:
    """Where the player stood and looked when a throw was logged."""

    def __init__(self, match):
        self.x, self.y, self.z, dx, dy, dz = (float(v) for v in match.groups())
        self.direction = (dx, dy, dz)

    @property
    def ground(self):
        return (self.x, self.z)

    @property
    def eye(self):
        return (self.x, self.y, self.z)

    def distance(self, point):
        return math.hypot(point[0] - self.x, point[1] - self.z)

    def __str__(self):
        return "(%.2f, %.2f, %.2f)" % (self.x, self.y, self.z)


class GoalReached(Exception):
    """The finish was reached while the player was doing something else: the game is over."""


class Player:
    def __init__(self, game, world, say=print):
        self.game = game
        self.world = world
        self.say = say
        # Pixels turned so far: yaw = 2 pi + 0.005 * yaw_pixels, pitch = 0.005 * pitch_pixels.
        self.yaw_pixels = 0
        self.pitch_pixels = 0
        self.throws = 0
        self.last_line = 0
        self.pose = None
        self._centre = None
        self._reach = None
        self._pointer = None
        self.frame = 0.1

    # ---- looking -----------------------------------------------------------------------------

    @property
    def yaw(self):
        return TWO_PI + TURN_PER_PIXEL * self.yaw_pixels

    @property
    def pitch(self):
        return TURN_PER_PIXEL * self.pitch_pixels

    def centre(self):
        """The window centre in screen coordinates, where the game keeps the pointer."""
        if self._centre is None:
            x, y, width, height = self.game.geometry()
            self._centre = (x + width // 2, y + height // 2, width // 2, height // 2)
        return self._centre

    def pointer(self):
        if self._pointer is None:
            self._pointer = Pointer(self.game.env["DISPLAY"])
        return self._pointer

    def close(self):
        if self._pointer is not None:
            self._pointer.close()
            self._pointer = None

    def reach(self):
        """How far the pointer can go from the window centre and stay on the screen:
        (left, right, up, down) in pixels."""
        if self._reach is None:
            cx, cy, _, _ = self.centre()
            width, height = (int(v) for v in self.game.xdotool("getdisplaygeometry").split())
            self._reach = (cx - 1, width - 2 - cx, cy - 1, height - 2 - cy)
        return self._reach

    def turn_pixels(self, yaw_pixels, pitch_pixels):
        """Turns by whole pixels: positive yaw turns from +z towards +x, positive pitch looks
        up. The game reads the pointer and puts it back at the centre in two steps; a move that
        falls between them is lost, which the next throw's view line reveals (see throw)."""
        if abs(self.pitch_pixels + pitch_pixels) > PITCH_LIMIT:
            raise HarnessError("the pitch would pass the 45 degree limit")
        left, right, up, down = self.reach()
        # The pointer moves the other way than the view; a turn the screen is too narrow for
        # goes round the other way, or in steps.
        for way_round in sorted((yaw_pixels, yaw_pixels - FULL_TURN, yaw_pixels + FULL_TURN),
                                key=abs):
            if -left <= -way_round <= right:
                yaw_pixels = way_round
                break
        first = True
        while yaw_pixels or pitch_pixels:
            dx = max(-right, min(left, yaw_pixels))
            dy = max(-down, min(up, pitch_pixels))
            if first:
                # One pixel first, and the rest once the game has taken that back: a move
                # made just as a frame starts can fall between the game's read and its
                # recentring and be lost, and moves follow log lines and key presses, which
                # come at the end of a frame, just before the next one starts.
                dx, dy = (_sign(dx), 0) if dx else (0, _sign(dy))
                first = False
            self._move_pointer(-dx, -dy)
            self.yaw_pixels += dx
            self.pitch_pixels += dy
            yaw_pixels -= dx
            pitch_pixels -= dy

    def _move_pointer(self, dx, dy):
        """Moves the pointer away from the centre and waits for the game to take it back."""
        cx, cy, _, _ = self.centre()
        self.pointer().move(cx + dx, cy + dy)
        moved = time.monotonic()
        deadline = moved + scaled(30)
        while self.pointer().where() != (cx, cy):
            if not self.game.alive() or time.monotonic() > deadline:
                raise HarnessError("the game never took the pointer back to the window centre "
                                   "(it leaves it alone while a poster is up)\n"
                                   + self.game.describe())
            time.sleep(0.002)
        # The pointer comes back within a frame: a running guess of the longest frame lately.
        self.frame = max(0.8 * self.frame, time.monotonic() - moved)

    def face(self, yaw, pitch=0.0):
        """Turns to the nearest whole-pixel view of the given yaw and pitch."""
        self.turn_pixels(round(wrap(yaw - self.yaw) / TURN_PER_PIXEL),
                         round(pitch / TURN_PER_PIXEL) - self.pitch_pixels)

    def face_point(self, point, pitch=0.0):
        self.face(math.atan2(point[0] - self.pose.x, point[1] - self.pose.z), pitch)

    # ---- where am I --------------------------------------------------------------------------

    def throw(self):
        """A left click: throws a ball (while any are left) and logs the player's position and
        view; returns the pose of that line."""
        self.game.click(1)
        try:
            index, match = self.game.wait_for(POSE_LINE, after=self.last_line, timeout=20)
        except HarnessError:
            if self.goal_reached():
                raise GoalReached()
            raise
        self.last_line = index + 1
        self.throws += 1
        self.pose = Pose(match)
        self._check_view()
        return self.pose

    def locate(self):
        """The position, from a throw over the shoulder: its splat lands behind, out of the
        view ahead, where the game does not paint it (each splat in view costs a redraw of the
        walls and the ground)."""
        self.face(self.yaw + math.pi, LOOK_BACK)
        return self.throw()

    def _check_view(self):
        # A pointer move the game never saw (it can fall between its read and its recentring)
        # shows as a view other than the one counted; trust the game then.
        dx, dy, dz = self.pose.direction
        seen_yaw = math.atan2(dx, dz)
        if abs(wrap(seen_yaw - self.yaw)) > 0.03:
            corrected = round(wrap(seen_yaw - self.yaw) / TURN_PER_PIXEL)
            self.say("view was %.3f rad off what was turned; counting %+d pixels"
                     % (wrap(seen_yaw - self.yaw), corrected))
            self.yaw_pixels += corrected
        seen_pitch = round(math.asin(max(-1.0, min(1.0, dy))) / TURN_PER_PIXEL)
        if abs(seen_pitch - self.pitch_pixels) > 3:
            self.say("pitch was %+d pixels off what was turned" % (seen_pitch - self.pitch_pixels))
            self.pitch_pixels = seen_pitch

    def goal_reached(self):
        return self.game.count(GOAL_LINE) > 0

    # ---- walking -----------------------------------------------------------------------------

    def walk(self, seconds, stop_at=None):
        """Holds W for about `seconds` between the frames that see the press and the release,
        and at least one frame: the game logs both, so W is let go only after the press was
        seen, and no turn that follows can overlap the walk. With stop_at, a log pattern, lets
        go as soon as that line appears; returns whether it did."""
        start = len(self.game.stdout_lines)
        self.game.key_down("w")
        seen = False
        try:
            pressed, _ = self.game.wait_for(PRESS_W, after=start, timeout=30)
            if stop_at is None:
                time.sleep(max(0.0, seconds))
            else:
                try:
                    self.game.wait_for(stop_at, after=self.last_line, timeout=max(0.01, seconds))
                    seen = True
                except HarnessError:
                    if not self.game.alive():
                        raise
        finally:
            if self.game.alive():
                self.game.key_up("w")
        if not seen:
            # Keys are not logged once an end poster is up; the goal is the one we expect.
            try:
                self.game.wait_for(RELEASE_W, after=pressed + 1, timeout=30)
            except HarnessError:
                if self.goal_reached():
                    return True
                raise HarnessError("the game never saw W let go (did the time run out?)\n"
                                   + self.game.describe())
        return seen

    def walk_to(self, target, arrive=1.0, last=None, most_steps=300):
        """Walks a planned way from here until within `arrive` of its end (of `last` instead
        of the target when given). From wherever it stands it heads for the farthest of the
        next few waypoints that a straight walk reaches without touching a wall; when none is,
        it plans again from where it is."""
        if self.pose is None:
            self.locate()
        upcoming, clearance = self.replan(target)
        if last is not None:
            upcoming[-1] = last
        target = upcoming[-1]
        fresh = True
        stuck = 0
        for _ in range(most_steps):
            if self.pose.distance(target) <= arrive:
                return self.pose
            here = self.pose.ground
            free = min(FREE_PATH, clearance, self.world.clearance(here)) - 0.01
            goal = None
            for ahead in range(min(len(upcoming), 8) - 1, -1, -1):
                if self.world.clearance(here, upcoming[ahead]) >= free:
                    goal = upcoming[ahead]
                    del upcoming[:ahead]
                    break
            if goal is None:
                if fresh:
                    raise HarnessError("no waypoint of a fresh plan is in reach from %s\n%s"
                                       % (self.pose, self.game.describe()))
                upcoming, clearance = self.replan(target)
                fresh = True
                continue
            fresh = False
            length = self.pose.distance(goal)
            # Stop short of a turn and of the end: a slow frame late on W is a step too far.
            margin = arrive * 0.5 if goal == target else 0.6
            seconds = min(LONGEST_WALK, (length - margin) / w.WALK_SPEED)
            self.face_point(goal)
            before = self.pose.ground
            self.walk(seconds)
            self.locate()
            stuck = 0 if self.pose.distance(before) > 0.01 else stuck + 1
            if stuck == 3:
                raise HarnessError("three walks from %s moved nothing\n%s"
                                   % (self.pose, self.game.describe()))
            self.say("at %s, heading for (%.1f, %.1f)" % (self.pose, goal[0], goal[1]))
            if len(upcoming) > 1 and self.pose.distance(goal) < 1.0:
                upcoming.pop(0)
        raise HarnessError("the walk to (%.1f, %.1f) took more than %d steps\n%s"
                           % (target[0], target[1], most_steps, self.game.describe()))

    def replan(self, target):
        """A fresh walk from here: (waypoints after here, the clearance it keeps)."""
        here = self.pose.ground
        clearance = max(0.3, min(1.05, self.world.clearance(here) - 0.02))
        route = w.plan(self.world.maze_path, here, target, clearance=clearance)
        if route is None:
            raise HarnessError("no walk from %s to (%.1f, %.1f)\n%s"
                               % (self.pose, target[0], target[1], self.game.describe()))
        self.say("planned from %s: %d waypoints" % (self.pose, len(route)))
        return list(route[1:]), clearance

    # ---- throwing at things ------------------------------------------------------------------

    def aim(self, item):
        """The whole-pixel view (yaw, pitch) from here that sends a ball into the item, or None
        when no throw from here reaches it."""
        _, ix, _, iz = w.ITEMS[item]
        yaw_turn = round(wrap(math.atan2(ix - self.pose.x, iz - self.pose.z) - self.yaw)
                         / TURN_PER_PIXEL)
        yaw = self.yaw + yaw_turn * TURN_PER_PIXEL
        pitch = w.pitches_that_hit(self.world, self.pose.eye, yaw, item)
        return None if pitch is None else (yaw, pitch * TURN_PER_PIXEL)

    def throw_at(self, item, attempts=3):
        """Throws at a bonus item until its hit line appears; returns that line's index. A
        throw that left along another view than the one aimed at (a lost turn) does not count."""
        kind = w.ITEMS[item][0]
        message = {"duck": r"^Hit a duck, got 50 more balls!$",
                   "car": r"^Hit a car, got 30 sec time bonus!$",
                   "croctopus": r"^Hit a croctopus, can now throw three balls"}[kind]
        misses = 0
        for _ in range(attempts * 3):
            aim = self.aim(item)
            if aim is None:
                raise HarnessError("no throw from %s reaches the %s at %s"
                                   % (self.pose, kind, w.ITEMS[item][1:]))
            self.face(*aim)
            before = self.last_line
            view = (self.yaw_pixels, self.pitch_pixels)
            self.throw()
            self.say("threw at the %s from %s, pitch %.3f" % (kind, self.pose, self.pitch))
            try:
                index, _ = self.game.wait_for(message, after=before, timeout=8)
                return index
            except HarnessError:
                if not self.game.alive():
                    raise
            if view == (self.yaw_pixels, self.pitch_pixels):
                misses += 1
                self.say("missed the %s (%d)" % (kind, misses))
                if misses == attempts:
                    break
        raise HarnessError("%d throws at the %s from %s never hit it\n%s"
                           % (attempts, kind, self.pose, self.game.describe()))

    def throwing_spot(self, item, route, near=3.0, far=9.0):
        """The spot on the route nearest the item that sees it over no wall and from which a
        throw reaches it, as (distance along the route, (x, z)); None when there is none."""
        _, ix, _, iz = w.ITEMS[item]
        candidates, along = [], 0.0
        for a, b in zip(route, route[1:]):
            length = math.hypot(b[0] - a[0], b[1] - a[1])
            for k in range(int(length / 0.5) + 1):
                t = min(1.0, k * 0.5 / length) if length else 0.0
                p = (a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1]))
                d = math.hypot(ix - p[0], iz - p[1])
                if near <= d <= far:
                    candidates.append((d, along + t * length, p))
            along += length
        tried = 0
        for d, distance, p in sorted(candidates):
            if self.world.clearance(p, (ix, iz)) <= 0.3 or self.world.clearance(p) < 1.0:
                continue
            eye = (p[0], self.world.height_at(*p) + 1.5, p[1])
            if w.pitches_that_hit(self.world, eye, math.atan2(ix - p[0], iz - p[1]), item,
                                  step=4) is not None:
                return distance, p
            tried += 1
            if tried == 10:
                break
        return None

    # ---- the finish --------------------------------------------------------------------------

    def cross_finish(self, passes=20):
        """Walks across the finish line at a slant, so that a frame's step takes the player only
        a little nearer the line and some step may end in the 0.2 wide band where the goal
        counts; back and forth, each pass meeting the line at its far end and going a little
        beyond, so that each starts nearer the line and slants less, until the game logs the
        goal."""
        for number in range(passes):
            if self.goal_reached():
                return
            pose = self.pose
            offset = pose.z - w.FINISH_Z
            end = w.FINISH_X[0] + 0.45 if pose.x > sum(w.FINISH_X) / 2.0 else w.FINISH_X[1] - 0.45
            across = abs(end - pose.x)
            if abs(offset) > across:
                # Too far from the line for a slant: straight towards it first, stopping a
                # frame's step short of it since the release comes a frame late.
                heading = math.atan2(0.0, -offset)
                step = w.WALK_SPEED * self.frame
                seconds = (abs(offset) - 0.25 - step) / w.WALK_SPEED
                how = "towards the line"
            else:
                slope = abs(offset) / across
                heading = math.atan2(math.copysign(1.0, end - pose.x),
                                     -math.copysign(slope, offset))
                seconds = (across + 1.0) * math.hypot(1.0, slope) / w.WALK_SPEED
                how = "slope %.3f" % slope
            self.say("pass %d from %s, %s" % (number + 1, pose, how))
            self.face(heading, 0.0)
            if self.walk(seconds, stop_at=GOAL_LINE):
                return
            try:
                self.locate()
            except GoalReached:
                return
        raise HarnessError("%d passes over the finish line never reached the goal\n%s"
                           % (passes, self.game.describe()))
