// Injected by the shell at document start into every frame of the course's
// pages. The engine keeps no cookies for the course's own address, which is
// no web address; the course's cookies are kept instead in its local
// storage, which the shell keeps per course from one run to the next.
// document.cookie reads and writes them as a browser would: "name=value"
// pairs, with expires and max-age honoured; path and domain are accepted
// and make no difference (every page of a course is one place).
(() => {
  'use strict';
  const KEY = '__dorv_cookies';
  let store;
  try {
    store = window.localStorage;
  } catch (e) {
    return;
  }
  if (!store) return;

  function load() {
    try {
      const jar = JSON.parse(store.getItem(KEY) || '{}');
      return jar && typeof jar === 'object' ? jar : {};
    } catch (e) {
      return {};
    }
  }

  function live(jar) {
    const now = Date.now();
    let changed = false;
    for (const name of Object.keys(jar)) {
      if (jar[name].expires !== null && jar[name].expires <= now) {
        delete jar[name];
        changed = true;
      }
    }
    return changed;
  }

  function read() {
    const jar = load();
    if (live(jar)) store.setItem(KEY, JSON.stringify(jar));
    return Object.keys(jar).map((name) => (name === '' ? jar[name].value : name + '=' + jar[name].value)).join('; ');
  }

  function write(text) {
    const parts = String(text).split(';');
    const pair = parts.shift();
    const equals = pair.indexOf('=');
    const name = (equals < 0 ? '' : pair.slice(0, equals)).trim();
    const value = (equals < 0 ? pair : pair.slice(equals + 1)).trim();
    let expires = null;
    for (const part of parts) {
      const at = part.indexOf('=');
      const attribute = (at < 0 ? part : part.slice(0, at)).trim().toLowerCase();
      const argument = at < 0 ? '' : part.slice(at + 1).trim();
      if (attribute === 'max-age' && /^-?\d+$/.test(argument)) {
        expires = Date.now() + Number(argument) * 1000;
      } else if (attribute === 'expires' && expires === null) {
        const when = Date.parse(argument);
        if (!Number.isNaN(when)) expires = when;
      }
    }
    const jar = load();
    if (expires !== null && expires <= Date.now()) {
      delete jar[name];
    } else {
      jar[name] = {value, expires};
    }
    try {
      store.setItem(KEY, JSON.stringify(jar));
    } catch (e) {
      // A full storage keeps the cookies it had, as a full cookie jar would.
    }
  }

  Object.defineProperty(Document.prototype, 'cookie', {
    configurable: true,
    enumerable: true,
    get() {
      return read();
    },
    set(text) {
      write(text);
    },
  });
})();
