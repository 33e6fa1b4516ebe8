// Breakout's high score kept through a reload. The first visit plays on the virtual
// clock: Enter every 40 frames starts a game and serves, the paddle held left loses
// each ball after it scored, until the game prints "high score N saved to ...". The
// page is then loaded again (the runner's browser keeps its storage), and the game,
// starting, reads N back without writing any of its files anew.
Module.fenkFrameRate = 60;
var saved = sessionStorage.getItem('fenk-saved-score');
if (saved === null) {
  Test.onFrame = function (n) {
    if (n % 40 == 10) Test.key('keydown', 13);
    if (n % 40 == 12) Test.key('keyup', 13);
    if (n == 12) Test.key('keydown', 37);
    var m = Test.printed(/^high score (\d+) saved to breakout\/highscore\.txt$/);
    if (m) {
      sessionStorage.setItem('fenk-saved-score', m[1]);
      Test.onFrame = null;
      location.reload();
    } else if (n == 3000) {
      Test.fail('no high score saved in 3000 frames');
    }
  };
} else {
  Test.onFrame = function (n) {
    if (n != 1) return;
    var read = Test.printed(/^high score (\d+)$/), wrote = Test.printed(/^wrote /);
    Test.post(read && read[1] === saved && !wrote && Number(saved) > 0,
              { saved: saved, read: read && read[1], wrote: wrote && wrote[0] });
  };
}
