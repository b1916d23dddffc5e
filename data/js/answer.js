// The answer of every call of the shell to the page's functions, as text:
// `r` is the function's value; undefined and null give "", any other value
// String(value), and unpaired surrogates become U+FFFD, so that the text
// converts to UTF-8 whole. The end of each call's function body, and of the
// poll's function (poll.js).
if (r === undefined || r === null) return '';
const s = String(r);
return s.isWellFormed() ? s : s.toWellFormed();
