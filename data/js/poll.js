// Injected by the shell at document start into the course's top-level pages.
// The shell asks the page's GetState for host commands four times a second,
// through this function: compiled once and kept warm, it spares the page's
// process a new function body on every poll. It answers as every other call
// of the shell is answered: the page's own function, called on the window,
// its value as text ("" for undefined and null), unpaired surrogates as
// U+FFFD. Its name cannot be a variable of the page (which may even have one
// called Symbol, unknown to the old browser), and the page cannot replace it.
(() => {
  'use strict';
  Object.defineProperty(window, 'dorv:poll', {
    value: function poll() {
      const f = window.GetState;
      if (typeof f !== 'function') throw new TypeError('GetState');
      const r = f.call(window);
      if (r === undefined || r === null) return '';
      const s = String(r);
      return s.isWellFormed() ? s : s.toWellFormed();
    },
  });
})();
