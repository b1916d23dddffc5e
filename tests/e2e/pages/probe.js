// A test page for the host protocol. It reports what it sees as host
// command lines "Seen-<what>:", which the shell does not know and so traces
// as ignored commands: the tests read them from the trace.
'use strict';

const opts = Object.assign({answers: [], later: [], fullScrAnswer: '1', alertOnce: false},
                           window.probeOptions || {});
const answers = opts.answers.slice();
const queue = [];
let fullScreen = false;

function report(what) {
  queue.push('Seen-' + encodeURIComponent(what) + ':');
}

function GetState() {
  // Hangs once per session, to stand for a page whose process dies mid-call.
  if (opts.hangOnce && !sessionStorage.getItem('hung')) {
    sessionStorage.setItem('hung', '1');
    report('hanging');
    for (;;) {}
  }
  if (opts.alertOnce) {
    opts.alertOnce = false;
    alert('probe');
    report('alert-answered');
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
  report('key-' + (e.key === ' ' ? 'Space' : e.key) + (e.repeat ? '-repeat' : ''));
});
document.addEventListener('mousedown', () => report('click'));

window.addEventListener('load', () => {
  const root = document.documentElement;
  report('loaded');
  report('size-' + innerWidth + 'x' + innerHeight + '-' + root.clientWidth + 'x' + root.clientHeight +
         '-' + devicePixelRatio);
  for (const [ms, line] of opts.later) setTimeout(() => queue.push(line), ms);
});
