// Injected by the shell at document start into every frame of a course on
// disk. The old browser made "\" into "/" in an address before it requested
// it: a page reached as "Sub\Page.HTM" lived in the folder "Sub/", and its
// own relative addresses ("../images/a.gif") were taken from there. The
// engine keeps "\" in the course's addresses, where it separates nothing, so
// such a page is loaded again at the address the old browser showed for it.
(() => {
  'use strict';
  const path = location.pathname;
  if (!/\\|%5c/i.test(path)) return;
  location.replace(location.protocol + '//' + location.host + path.replace(/\\|%5c/gi, '/') + location.search +
                   location.hash);
})();
