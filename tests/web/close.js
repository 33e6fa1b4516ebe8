// An example that catches the close (breakout) in its page on the virtual clock: the page
// going away (pagehide) while the program waits for its next frame wakes it at once, and
// it sees the close, says so and ends itself with 0 before drawing another frame.
Module.fenkFrameRate = 30;
Test.onFrame = function (n) {
  if (n == 30) {
    setTimeout(function () {
      Test.closedAt = Test.frames;
      window.dispatchEvent(new Event('pagehide'));
    }, 0);
  }
  if (n == 90) Test.fail('still running 60 frames after the page went away');
};
Test.onEnded = function (code) {
  var seen = Test.lines.indexOf('window closed') >= 0;
  Test.post(code == 0 && seen && Test.endedAt == Test.closedAt,
            { ended: code, closedAt: Test.closedAt, endedAt: Test.endedAt, said: seen });
};
