// A data file missing from the site: the page names it to the viewer.
var initialized = Module.onRuntimeInitialized;
Module.onRuntimeInitialized = function () {
  FS.unlink('/data/revizid3.png');
  initialized();
};
function verdict() {
  var text = document.getElementById('fenk-message').textContent;
  Test.post(text.indexOf('revizid3.png') >= 0, { message: text });
}
Test.onFrame = function (n) { if (n == 5) verdict(); };
Test.onEnded = verdict;
