// The demo course's side of the shell's page protocol, and what the other
// scripts of the page share.
//
// The shell calls global functions of the page by name, with string
// arguments. Every 229 ms it asks GetState for the host commands that the
// page has pending, one per line ("Word:argument"), and carries them out in
// order. An argument ends at the next colon, so the page never puts a colon
// or a line break into one.
//
// This file: the command queue, history records, the shell's settings, the
// debug view, full-screen mode, closing, and the status line.
// learners.js: drives and learners. lesson.js: the lesson and its position.
// quiz.js: the quiz and its scores.
'use strict';

// Host commands waiting for GetState. The shell marks the page ("OnLoad:")
// and the drive list is asked for at once, so that it is ready to choose from.
const pendingCommands = ['OnLoad:', 'CheckDrives:'];

// After each of these commands the shell asks GetLogData for a history record.
const RECORD_COMMANDS = ['StartRegist:', 'StartMain:', 'Log:'];

// History records made by the page and not yet handed to the shell, and how
// many record commands the shell has fetched but not yet asked GetLogData for.
// A call of GetLogData that no command explains comes from the shell closing.
const unsentRecords = [];
let recordCallsDue = 0;

let fullScreen = false;
let debugMode = '0';
let closing = false;

function queueCommand(word, argument = '') {
  if (closing) return;
  pendingCommands.push(word + argument);
}

// Queues a record command together with its record; an empty record still
// makes the command do the rest of its work ("StartRegist:" also stores the
// position).
function queueRecordCommand(word, record) {
  if (closing) return;
  if (record) unsentRecords.push(record);
  queueCommand(word);
}

function GetState() {
  if (pendingCommands.length === 0) return '';
  for (const line of pendingCommands) {
    if (RECORD_COMMANDS.includes(line)) recordCallsDue++;
    trace('→ ' + line);
  }
  const answer = pendingCommands.join('\n');
  pendingCommands.length = 0;
  return answer;
}

// Every record made so far, in the order made, one CSV line each. When the
// shell asks on its own, it is closing: the stretch of the lesson learnt so
// far is recorded too.
function GetLogData() {
  let text = unsentRecords.join('');
  unsentRecords.length = 0;
  if (recordCallsDue > 0) {
    recordCallsDue--;
  } else {
    text += lessonRecordOnClose();
  }
  trace('← GetLogData: ' + (text ? text.trim().split('\n').length + ' record(s)' : 'nothing'));
  return text;
}

// --- Settings and the debug view -------------------------------------------

function SetDebugMode(mode) {
  debugMode = mode === undefined ? '' : String(mode);
  document.body.classList.toggle('debug', debugMode !== '0' && debugMode !== '');
  document.getElementById('debugMode').textContent = debugMode || '0';
}

// The shell may split the settings at commas; they are joined again.
function InitSettings(...settings) {
  document.getElementById('settings').textContent = settings.join(',') || 'none';
}

// The debug view lists the last exchanges with the shell.
const traceLines = [];
function trace(text) {
  traceLines.push(text.length > 44 ? text.slice(0, 43) + '…' : text);
  if (traceLines.length > 10) traceLines.shift();
  const list = document.getElementById('trace');
  if (!list) return;
  list.replaceChildren(...traceLines.map((line) => element('li', {}, line)));
}

// --- Full-screen mode --------------------------------------------------------
// The shell asks FullScr when Space is pressed and takes the key only when
// the answer is "1"; so while a text field has the focus nothing is switched
// and Space types a space.

function typingInField() {
  const el = document.activeElement;
  if (!el) return false;
  if (el.isContentEditable || el.tagName === 'TEXTAREA') return true;
  const nonText = ['button', 'checkbox', 'radio', 'submit', 'reset', 'range', 'color', 'file', 'image'];
  return el.tagName === 'INPUT' && !nonText.includes(el.type);
}

function setFullScreen(on) {
  fullScreen = on;
  if (on) showTab('lesson');
  document.body.classList.toggle('fullscreen', on);
}

function FullScrOK() {
  return typingInField() || closing ? '0' : '1';
}

// Without an argument: switch. With "false": leave.
function FullScr(on) {
  if (on === 'false') {
    setFullScreen(false);
    return '1';
  }
  if (typingInField() || closing) return '0';
  setFullScreen(!fullScreen);
  return '1';
}

function IsFullScr() {
  return fullScreen ? '1' : '0';
}

// --- Closing ------------------------------------------------------------------
// The shell has stored the last record and the position; nothing more is sent.

function OnClose() {
  closing = true;
  pendingCommands.length = 0;
  setFullScreen(false);
  document.body.classList.add('closing');
  for (const control of document.querySelectorAll('button, input, select')) control.disabled = true;
  setStatus('終了しています…', 'Closing');
}

// --- Shared helpers ----------------------------------------------------------

function element(tag, attributes = {}, ...children) {
  const el = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) el.setAttribute(name, value);
  el.append(...children);
  return el;
}

// The status line tells what happened last: Japanese, then a short English hint.
function setStatus(ja, en, kind = '') {
  const line = document.getElementById('statusLine');
  line.className = kind;
  line.replaceChildren(ja, ' ', element('span', { class: 'en' }, en));
}

function showTab(name) {
  for (const tab of document.querySelectorAll('#tabs button')) {
    tab.classList.toggle('active', tab.dataset.tab === name);
  }
  for (const panel of document.querySelectorAll('#work .panel')) panel.hidden = panel.id !== name;
}

function renderAll() {
  renderLearners();
  renderLesson();
  renderQuiz();
}

window.addEventListener('DOMContentLoaded', () => {
  document.getElementById('mouseOff').addEventListener('click', () => {
    queueCommand('DisableMouse:');
    setStatus('マウスを 3 秒間止めました', 'Mouse off for 3 s');
    setTimeout(() => {
      queueCommand('EnableMouse:');
      setStatus('マウスが使えます', 'Mouse on again');
    }, 3000);
  });
  document.getElementById('quit').addEventListener('click', () => queueCommand('Quit:'));
  document.getElementById('forceQuit').addEventListener('click', () => queueCommand('ForceQuit:'));
  for (const tab of document.querySelectorAll('#tabs button')) {
    tab.addEventListener('click', () => showTab(tab.dataset.tab));
  }
  setupLearners();
  setupLesson();
  setupQuiz();
  renderAll();
  setStatus('ドライブを探しています…', 'Looking for drives');
});
