// A test page for the host protocol. It reports what it sees as host
// command lines "Seen-<what>:", which the shell does not know and so traces
// as ignored commands: the tests read them from the trace.
'use strict';

const opts = Object.assign({answers: [], later: [], fullScrAnswer: '1', getStateAlerts: 0, clickAlerts: 0,
                            cadence: 0},
                           window.probeOptions || {});
const answers = opts.answers.slice();
const queue = [];
let fullScreen = false;
const pollTimes = [];

function report(what) {
  queue.push('Seen-' + encodeURIComponent(what) + ':');
  if (opts.announce) announce(what);
}

// With the option "announce", each report also goes to the shell's trace at
// once, as "page: probe saw <what>" (sent by the engine's own messaging,
// not by the poll): a test learns of it also while a page call hangs.
function announce(what) {
  try {
    window.webkit.messageHandlers.dorv.postMessage('trace:probe saw ' + encodeURIComponent(what));
  } catch (x) {
    queue.push('Seen-announce-failed:');
  }
}

// Reports the spacing of the first `cadence` calls of GetState: how many
// came, and the shortest and longest gap between two, in milliseconds.
function notePoll() {
  if (!opts.cadence || pollTimes.length >= opts.cadence) return;
  pollTimes.push(performance.now());
  if (pollTimes.length < opts.cadence) return;
  const gaps = pollTimes.slice(1).map((t, i) => t - pollTimes[i]);
  report('gaps-' + Math.round(Math.min(...gaps)) + '-' + Math.round(Math.max(...gaps)) + '-span-' +
         Math.round(pollTimes[pollTimes.length - 1] - pollTimes[0]));
}

// Reports a text readably: only what would break the host command line
// (colons, line ends, the escape itself) is escaped.
function reportText(what) {
  queue.push('Seen-' + what.replace(/%/g, '%25').replace(/:/g, '%3A').replace(/\r/g, '%0D').replace(/\n/g, '%0A') + ':');
}

// The learner data functions: what the host hands over is reported, what it
// asks for comes from the options.
function reportArgs(name, args) { reportText(name + '-' + (args.length ? args.join(',') : '<none>')); }
function UpdateDrives(...args) { reportArgs('drives', args); }
function UpdateUsers(...args) { reportArgs('users', args); }
function SetPosData(...args) { reportArgs('pos', args); }
function SetScoreData(...args) { reportArgs('score', args); }
function GetPrefSize() {
  return opts.prefSizes && opts.prefSizes.length ? opts.prefSizes.shift() : String((opts.pref || '').length);
}
function GetPrefData() { return opts.pref; }
function GetPosData() { return opts.pos; }
function GetScoreData() { return opts.score; }
function OnClose() {
  if (throwing) throw new Error('always');
  report('onclose');
}
function GetLogData() { return (opts.logs || []).shift() || ''; }

// Answers that no course should give, sent once each when their key is
// pressed: "1" 10 MB on one line, "2" 100,000 lines, "3" binary garbage
// with unpaired surrogates; "t" makes every page function throw.
const hostile = [];
let throwing = false;
document.addEventListener('keydown', (e) => {
  if (e.key === '1') hostile.push('x'.repeat(10 * 1024 * 1024) + '\nSeen-big-done:');
  if (e.key === '2') hostile.push('Nothing:\n'.repeat(100000) + 'Seen-lines-done:');
  if (e.key === '3') {
    let garbage = '';
    for (let i = 0; i < 4096; i++) garbage += String.fromCharCode((i * 7919) % 65536);
    hostile.push(garbage + '\uD800\uDFFF\uDC00\u0000\nSeen-garbage-done:');
  }
  if (e.key === 't') throwing = true;
});

function GetState() {
  if (throwing) throw new Error('always');
  if (hostile.length) return hostile.shift();
  notePoll();
  // Hangs once per session, to stand for a page whose process dies mid-call.
  if (opts.hangOnce && !sessionStorage.getItem('hung')) {
    sessionStorage.setItem('hung', '1');
    report('hanging');
    for (;;) {}
  }
  // Alerts from inside GetState, while the shell waits for the answer.
  if (opts.getStateAlerts > 0) {
    opts.getStateAlerts--;
    alert('probe');
    report('alert-answered');
  }
  // Prints from inside GetState, while the shell waits for the answer.
  if (opts.printInGetState) {
    opts.printInGetState = false;
    window.print();
    report('printed');
  }
  const lines = [];
  if (answers.length) lines.push(answers.shift());
  lines.push(...queue);
  queue.length = 0;
  return lines.join('\n');
}

function SetDebugMode(...args) {
  report('debug-' + args.join('+'));
}

function InitSettings(...args) {
  report('init-' + args.join('+'));
}

function FullScr(leave) {
  report('fullscr' + (leave === undefined ? '' : '-' + leave));
  if (leave === 'false') {
    fullScreen = false;
    return '';
  }
  if (opts.fullScrAnswer === '1') fullScreen = !fullScreen;
  return opts.fullScrAnswer;
}

function IsFullScr() {
  report('isfullscr');
  return fullScreen ? '1' : '0';
}

document.addEventListener('keydown', (e) => {
  // "g" asks for one more alert from GetState, "h" for a GetState that
  // never returns (once per session: not again after the page is reloaded).
  if (e.key === 'g') opts.getStateAlerts++;
  if (e.key === 'h' && !sessionStorage.getItem('hung')) opts.hangOnce = true;
  // "p" prints from the next GetState, "q" from this key's handler; "c" asks
  // confirm(), "o" prompt().
  if (e.key === 'p') opts.printInGetState = true;
  if (e.key === 'q') {
    window.print();
    report('printed-by-key');
  }
  if (e.key === 'c') report('confirm-' + confirm('probe'));
  if (e.key === 'o') report('prompt-' + prompt('probe', 'x'));
  // "l" follows a link to opts.away, "r" sends the window there by script.
  if (e.key === 'l' || e.key === 'r') {
    try {
      const link = document.createElement('a');
      link.href = opts.away;
      document.body.appendChild(link);
      if (e.key === 'l') link.click(); else location.href = opts.away;
    } catch (x) {
      report('error-' + x);
    }
  }
  report('key-' + (e.key === ' ' ? 'Space' : e.key) + (e.repeat ? '-repeat' : ''));
});
document.addEventListener('mousedown', () => {
  report('click');
  if (opts.clickAlerts > 0) {
    opts.clickAlerts--;
    alert('probe');
    report('alert-answered');
  }
});
document.addEventListener('contextmenu', () => report('contextmenu'));

// The page's layout size, its root element's and the device pixel ratio;
// again whenever "s" is pressed.
function reportSize() {
  const root = document.documentElement;
  report('size-' + innerWidth + 'x' + innerHeight + '-' + root.clientWidth + 'x' + root.clientHeight +
         '-' + devicePixelRatio);
}
document.addEventListener('keydown', (e) => { if (e.key === 's') reportSize(); });

window.addEventListener('load', () => {
  report('loaded');
  reportSize();
  for (const [ms, line] of opts.later) setTimeout(() => queue.push(line), ms);
  // Lines due at a moment of the clock (milliseconds since 1970): two
  // copies of the program act at the same time.
  for (const [at, line] of opts.at || []) setTimeout(() => queue.push(line), Math.max(0, at - Date.now()));
});
