// An example in its page: on the virtual clock it runs 60 frames, or ends by itself with
// 0, without the runtime aborting.
Module.fenkFrameRate = 30;
Test.onFrame = function (n) { if (n == 60) Test.post(true, { frames: n }); };
Test.onEnded = function (code) { Test.post(code == 0, { ended: code, frames: Test.frames }); };
