// Any program in its page: the verdict when it ends by itself, ok with exit code 0.
Test.onEnded = function (code) { Test.post(code == 0, { code: code, frames: Test.frames }); };
