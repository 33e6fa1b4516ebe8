Test.onFrame = function (n) {
  if (n == 30) Test.post(true, { frames: n, title: document.title });
};
