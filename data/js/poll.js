// Injected by the shell at document start into the course's top-level pages.
// The shell asks the page's poll function for host commands four times a
// second, through this function: compiled once and kept warm, it spares the
// page's process a new function body on every poll. It answers as every
// other call of the shell is answered. The shell puts the poll function's
// name and the answer's end (answer.js) in place of the two marks below
// before the page gets it. Its name cannot be a variable of the page (which
// may even have one called Symbol, unknown to the old browser), and the
// page cannot replace it.
(() => {
  'use strict';
  Object.defineProperty(window, 'dorv:poll', {
    value: function poll() {
      const f = window[POLL_FUNCTION];
      if (typeof f !== 'function') throw new TypeError(POLL_FUNCTION);
      const r = f.call(window);
      CALL_ANSWER
    },
  });
})();
