"""End-to-end tests: Typomancer under Wine, driven with real mouse clicks, read back with the
probe. tests/e2e/run sets ENV before it runs them; each test starts the program afresh."""

import unittest

import harness
from harness import (CAPTION_IDLE, CAPTION_RUNNING, ID_CMD_FIRST, ID_PICTURE1, ID_PICTURE2,
                     ID_RUN, ID_SCRIPT, ID_WAIT, SAMPLE_SCRIPT, SAMPLE_TYPED, TARGET_CLASS,
                     Typomancer, escaped, utf16_length, wait_for)

ENV = None  # harness.Environment

ID_LABEL3 = 113

# What the 21 key buttons append, in index order.
KEY_BUTTON_CODES = [
    "{BACKSPACE}", "{BREAK}", "{CAPSLOCK}", "{DELETE}", "{DOWN}", "{END}", "{ENTER}", "{ESC}",
    "{HELP}", "{HOME}", "{INSERT}", "{LEFT}", "{NUMLOCK}", "{PGDN}", "{PGUP}", "{PRTSC}",
    "{RIGHT}", "{SCROLLLOCK}", "{TAB}", "{UP}", "{F1}",
]

MESSAGE_INVALID = "The script is invalid. Please change it then try again."
MESSAGE_INVALID_LINE = "The below script is invalid. Please change it then try again.\r\n\r\n"


def lines_of_length(units, make_line):
    """Lines from make_line(n), each ending in CR LF, cut to exactly `units` UTF-16 code units
    without splitting a pair; the last line is padded with "x"."""
    text = ""
    n = 0
    while True:
        line = make_line(n) + "\r\n"
        if utf16_length(text) + utf16_length(line) > units:
            break
        text += line
        n += 1
    return text + "x" * (units - utf16_length(text))


class ProgramTest(unittest.TestCase):
    def setUp(self):
        ENV.end_programs()
        self.app = Typomancer(ENV.wine)

    def run_script(self, script):
        """Puts `script` into the script box after start-up and clicks "Run Script"."""
        self.assertEqual(self.app.set_text(ID_SCRIPT, script), utf16_length(script))
        self.app.click(ID_RUN)

    def wait_for_dialog(self, timeout=30):
        return wait_for("a message box", lambda: (bool(d := self.app.dialogs()), d),
                        timeout)[0]

    def dismiss(self, dialog):
        """Clicks the message box's only button, OK, as the user would; the run then ends."""
        self.assertEqual([b["text"] for b in dialog["buttons"]], ["OK"])
        button = dialog["buttons"][0]
        self.app.wine.display.click(button["x"], button["y"])
        wait_for("the message box to close", lambda: (not (d := self.app.dialogs()), d), 30)

    def assert_run_left_nothing_behind(self):
        """The run has ended: the caption is idle again and no key is left held down."""
        wait_for("the caption to return to idle", lambda: (
            (s := self.app.state())["main"]["caption"] == CAPTION_IDLE, s["main"]), 30)
        state = self.app.state()
        self.assertEqual(state["keys_down"], [], "a key is still held down")
        return state


class StartUpTest(ProgramTest):
    def test_start_up_fills_the_script_box_opens_notepad_and_comes_to_the_front(self):
        state = self.app.start()
        self.assertEqual(state["main"]["caption"], CAPTION_IDLE)
        # Start-up is over only when the window is in front for Wine and for the window
        # manager (where the user's own keys go), uncovered, with the focus on "Run Script".
        self.assertEqual(state["active"], CAPTION_IDLE)
        self.assertEqual(state["notepad"]["text"], "")
        self.assertEqual(state["main"]["dialogs"], [])
        self.assertEqual(self.app.text(ID_SCRIPT), SAMPLE_SCRIPT)
        self.assertEqual(self.app.text(ID_WAIT), "5")

        _, controls = self.app.controls()
        self.assertEqual(controls[ID_RUN]["text"], "Run Script")
        self.assertEqual(controls[ID_LABEL3]["text"], "F1 - 16")
        for index in range(25):
            self.assertEqual(controls[ID_CMD_FIRST + index]["text"], ">")

        path, picture = ENV.screenshot("startup-96dpi.png")
        print(f"\n    screenshot: {path}", flush=True)
        check_layout(self, self.app, picture, dpi=96)


class ScriptRunTest(ProgramTest):
    def test_sample_script_types_into_notepad_with_its_wait_shown_in_the_caption(self):
        self.app.start()
        watch = self.app.watch_captions(CAPTION_RUNNING, "Waiting 5 seconds...", CAPTION_IDLE)
        self.app.click(ID_RUN)
        captions = watch.collect(timeout=90)
        self.assertTrue(captions["complete"], captions)
        # The last two captions recorded are the wait's and the idle one that ends it.
        waited = captions["captions"][-1]["ms"] - captions["captions"][-2]["ms"]
        self.assertGreaterEqual(waited, 4900)
        self.assertLess(waited, 8000)

        wait_for("Notepad to hold the sample's text",
                 lambda: ((t := self.app.notepad_text()) == SAMPLE_TYPED, t), 60)
        state = self.assert_run_left_nothing_behind()
        self.assertTrue(state["main"]["minimised"])
        self.assertEqual(state["main"]["dialogs"], [])

    def test_about_a_thousand_characters_on_many_lines_reach_notepad_unchanged(self):
        self.app.start()
        lines = [f"{n:02d}: " + phrase for n, phrase in enumerate([
            "The quick brown fox jumps over the lazy dog.",
            "Sums: (1+2)^3 = 27; 50% off ~ today {only}!",
            "Quotes \"double\" and 'single', back\\slash /slash",
            "Accents: café, naïve, Grüße; money: 10 € or £5",
            "UPPER lower MiXeD 0123456789 <>[]|@#$&*_=?",
        ] * 4)]
        expected = "\r\n".join(lines) + "\r\n"
        self.assertGreater(len(expected), 900)
        # No wait code: the script is typed as one text, its line breaks removed.
        self.run_script("\r\n".join(escaped(line) + "{ENTER}" for line in lines))
        wait_for("Notepad to receive all the lines",
                 lambda: (len(t := self.app.notepad_text()) >= len(expected), t), 90,
                 interval=1)
        self.assertEqual(self.app.notepad_text(), expected)
        self.assert_run_left_nothing_behind()

    def test_twenty_thousand_characters_reach_a_window_that_does_not_draw(self):
        self.app.start()
        expected = lines_of_length(20000, lambda n: (
            f"{n:04d}\tPlain, UPPER & 0-9 +^%~(){{}}[]; é € Ω 日本 😀 end"))
        expected = expected.replace("\r\n", "\r")  # Enter arrives as one CR character
        script = "\r\n".join(escaped(line).replace("\t", "{TAB}") + "~"
                             for line in expected.split("\r")[:-1])
        script += "\r\n" + escaped(expected.split("\r")[-1])
        self.assertEqual(self.app.set_text(ID_SCRIPT, script), utf16_length(script))

        # Openbox keeps the focus from a window that opens on its own; a click brings it
        # forward, and behind Typomancer once "Run Script" has been clicked.
        ENV.wine.start(ENV.wine.program("typomancer-target.exe"), "1250", "960", "320", "200")
        target = wait_for("the target window", lambda: (
            (t := self.app.state()["target"])["found"], t), 30)["client"]
        ENV.display.click((target["left"] + target["right"]) // 2,
                          (target["top"] + target["bottom"]) // 2)
        wait_for("the target window to take the foreground",
                 lambda: ((f := self.app.state()["foreground"]).get("class") == TARGET_CLASS,
                          f), 30)
        self.app.click(ID_RUN)
        wait_for("the target to receive every character",
                 lambda: ((s := self.app.state())["target"].get("length", 0)
                          >= utf16_length(expected), s["target"]), 180, interval=1)
        received = self.app.target_text()
        self.assertEqual(utf16_length(received), utf16_length(expected))
        self.assertEqual(received, expected)
        self.assert_run_left_nothing_behind()


class InvalidScriptTest(ProgramTest):
    def test_invalid_script_is_reported_and_nothing_of_it_is_typed(self):
        self.app.start()
        self.run_script("typed? never\r\n+")
        dialog = self.wait_for_dialog()
        self.assertEqual(dialog["title"], "Error")
        self.assertIn(MESSAGE_INVALID, dialog["texts"])
        self.dismiss(dialog)
        self.assertEqual(self.app.notepad_text(), "")
        self.assertEqual(self.app.text(ID_SCRIPT), "typed? never\r\n+")
        self.assert_run_left_nothing_behind()

    def test_invalid_line_is_quoted_after_the_lines_before_it_were_typed(self):
        self.app.start()
        self.run_script("{WAIT 0}\r\nfine\r\nbad^\r\nnever")
        dialog = self.wait_for_dialog()
        self.assertEqual(dialog["title"], "Error")
        self.assertIn(MESSAGE_INVALID_LINE + "bad^", dialog["texts"])
        self.dismiss(dialog)
        wait_for("the line before the bad one to reach Notepad",
                 lambda: ((t := self.app.notepad_text()) == "fine", t), 30)
        self.assert_run_left_nothing_behind()


class PaletteTest(ProgramTest):
    def expect_after_click(self, script, focus):
        """Waits for the click to be handled: the script box holding `script` and the focus on
        the control `focus`; no message box may appear."""
        def handled():
            state = self.app.state()
            seen = (self.app.text(ID_SCRIPT), state["main"]["focus"].get("id"),
                    state["main"]["dialogs"])
            return seen == (script, focus, []), seen
        try:
            wait_for("the click to be handled", handled, 10)
        except harness.E2EError:
            self.assertEqual(self.app.text(ID_SCRIPT), script)
            raise

    def test_key_buttons_append_their_codes_each_on_a_new_line(self):
        self.app.start()
        for index in range(21):
            self.app.click(ID_CMD_FIRST + index)
        # Each button at its own place: a misplaced or miswired one shows in the order.
        self.expect_after_click(
            SAMPLE_SCRIPT + "".join("\r\n" + code for code in KEY_BUTTON_CODES),
            focus=ID_CMD_FIRST + 20)

    def test_modifier_buttons_append_to_the_last_line_and_move_the_focus_to_the_script(self):
        self.app.start()
        script = SAMPLE_SCRIPT
        for index, prefix in ((21, "+"), (22, "^"), (23, "%")):
            self.app.click(ID_CMD_FIRST + index)
            script += prefix
            self.expect_after_click(script, focus=ID_SCRIPT)
        # The next code goes on a line of its own after the prefixes.
        self.app.click(ID_CMD_FIRST + 18)
        self.expect_after_click(script + "\r\n{TAB}", focus=ID_CMD_FIRST + 18)

    def test_wait_button_takes_the_seconds_box_when_it_holds_a_number(self):
        self.app.start()
        self.assertEqual(self.app.set_text(ID_SCRIPT, ""), 0)
        self.app.click(ID_CMD_FIRST + 6)
        script = "\r\n{ENTER}"  # an empty box gains an empty first line
        self.expect_after_click(script, focus=ID_CMD_FIRST + 6)
        # A number goes in as typed, blanks and fraction kept; anything else, silently, 5.
        for seconds, code in (("5", "{WAIT 5}"), ("2.5", "{WAIT 2.5}"), (" 12 ", "{WAIT  12 }"),
                              ("soon", "{WAIT 5}"), ("", "{WAIT 5}")):
            with self.subTest(seconds=seconds):
                self.app.set_text(ID_WAIT, seconds)
                self.app.click(ID_CMD_FIRST + 24)
                script += "\r\n" + code
                self.expect_after_click(script, focus=ID_CMD_FIRST + 24)
                self.assertEqual(self.app.text(ID_WAIT), seconds)


class LongScriptTest(ProgramTest):
    def test_a_script_of_a_hundred_thousand_characters_is_kept_whole(self):
        self.app.start()
        script = lines_of_length(100000, lambda n: (
            f"{n:05d} {{LEFT 42}} +(EC) Grüße € Ω 日本語 😀 " + "." * (n % 37)))
        self.assertEqual(utf16_length(script), 100000)
        self.assertEqual(self.app.set_text(ID_SCRIPT, script), 100000)
        self.assertEqual(self.app.text(ID_SCRIPT), script)


class SelfTypingTest(ProgramTest):
    """Without a window manager Wine keeps the minimised window in front, so the keys would go
    to Typomancer itself; the run must stop instead."""

    def setUp(self):
        super().setUp()
        self.app = Typomancer(ENV.wine_on(ENV.bare_display()))

    def test_run_stops_instead_of_typing_into_its_own_window(self):
        self.app.start()
        self.app.click(ID_RUN)
        dialog = self.wait_for_dialog()
        self.assertEqual(dialog["title"], "Typomancer")
        self.assertTrue(any(text.startswith("1002 ") for text in dialog["texts"]), dialog)
        self.dismiss(dialog)
        self.assertEqual(self.app.text(ID_SCRIPT), SAMPLE_SCRIPT)
        self.assertEqual(self.app.notepad_text(), "")
        self.assert_run_left_nothing_behind()


class HighDpiTest(ProgramTest):
    def setUp(self):
        super().setUp()
        self.app = Typomancer(ENV.wine_at_dpi(144))

    def test_window_and_pictures_scale_together_at_144_dpi(self):
        state = self.app.start()
        self.assertEqual(state["dpi"], 144, "the LogPixels setting did not take effect")
        path, picture = ENV.screenshot("startup-144dpi.png")
        print(f"\n    screenshot: {path}", flush=True)
        check_layout(self, self.app, picture, dpi=144)


def check_layout(test, app, picture, dpi):
    """The client area's size, and every palette button beside the row of the picture it
    belongs to: in the window's geometry, and in the ink that the pictures actually drew."""
    scale = dpi / 96
    answer, controls = app.controls()
    client = answer["client"]
    test.assertAlmostEqual(client["right"] - client["left"], 12015 * dpi / 1440, delta=1)
    test.assertAlmostEqual(client["bottom"] - client["top"], 12450 * dpi / 1440, delta=1)

    def centre_y(control_id):
        rect = controls[control_id]["rect"]
        return (rect["top"] + rect["bottom"]) / 2

    key_table = controls[ID_PICTURE1]["rect"]
    help_picture = controls[ID_PICTURE2]["rect"]
    rows = [(ID_CMD_FIRST + i, key_table, 33 + 24 * i, key_table["right"] - 2)
            for i in range(21)]
    first_button = controls[ID_CMD_FIRST + 21]["rect"]
    rows += [(ID_CMD_FIRST + 21 + i, help_picture, 84 + 24 * i, first_button["left"] - 1)
             for i in range(3)]
    misplaced = []
    for button, area, row_centre, ink_right in rows:
        expected = area["top"] + row_centre * scale
        if abs(centre_y(button) - expected) > 1.5:
            misplaced.append(f"button {button - ID_CMD_FIRST} centred at {centre_y(button)}, "
                             f"row at {expected}")
            continue
        ink = ink_centre(picture, area["left"] + 2, ink_right, expected - 11 * scale,
                         expected + 11 * scale)
        if ink is None or abs(ink - centre_y(button)) > 3 * scale:
            misplaced.append(f"button {button - ID_CMD_FIRST} centred at {centre_y(button)}, "
                             f"its picture row drawn at {ink}")
    test.assertEqual(misplaced, [])
    # The buttons stand in a column two (scaled) pixels right of the key table.
    for i in range(21):
        gap = controls[ID_CMD_FIRST + i]["rect"]["left"] - key_table["right"]
        test.assertAlmostEqual(gap, 2 * scale, delta=1)
    test.assertAlmostEqual(centre_y(ID_LABEL3), key_table["top"] + (33 + 24 * 20) * scale,
                           delta=4 * scale)


def ink_centre(picture, left, right, top, bottom):
    """The mean height of the dark pixels in a band of the screenshot, leaving out rows that are
    mostly dark (rules between table rows); None when the band holds no text."""
    left, right = int(left), int(right)
    total = weight = 0
    for y in range(int(top), int(bottom) + 1):
        dark = sum(1 for x in range(left, right) if picture.luminance(x, y) < 140)
        if dark > 0.6 * (right - left):
            continue
        total += dark
        weight += dark * y
    return weight / total if total >= 8 else None
