// The demo course's side of the host protocol. The host calls the global
// functions below; every 229 ms it asks GetState for pending host commands.
'use strict';

const pendingCommands = ['OnLoad:'];
let fullScreen = false;
let debugMode = '0';

function queueCommand(line) {
  pendingCommands.push(line);
}

// Host commands, one per line; each answer is taken as new commands.
function GetState() {
  const answer = pendingCommands.join('\n');
  pendingCommands.length = 0;
  return answer;
}

function SetDebugMode(mode) {
  debugMode = String(mode);
  document.body.classList.toggle('debug', debugMode !== '0');
  document.getElementById('debugMode').textContent = debugMode;
}

function InitSettings(...settings) {
  document.getElementById('settings').textContent = settings.join(',');
}

function FullScrOK() {
  return '1';
}

// Without an argument: switch. With "false": leave.
function FullScr(on) {
  fullScreen = on === 'false' ? false : !fullScreen;
  document.body.classList.toggle('fullscreen', fullScreen);
  return '1';
}

function IsFullScr() {
  return fullScreen ? '1' : '0';
}

window.addEventListener('DOMContentLoaded', () => {
  document.getElementById('mouseOff').addEventListener('click', () => {
    queueCommand('DisableMouse:');
    setTimeout(() => queueCommand('EnableMouse:'), 3000);
  });
  document.getElementById('quit').addEventListener('click', () => queueCommand('Quit:'));
});
