// Injected by the shell at document start into every frame of the course's
// pages, before any page script runs: what pages written for Internet
// Explorer's browser control commonly call, on top of WebKit.
//
// Only names that IE had are added (attachEvent, fireEvent, currentStyle,
// ActiveXObject for the XML objects, the bgsound element's properties), and
// what standard pages rely on does not change: the user agent stays,
// standard methods keep their behaviour, HTML elements keep their own `text`.
// Loading only defines properties; the work is done when a page calls in.
// WebKit itself has window.event (set while any handler runs), srcElement,
// returnValue, cancelBubble, fromElement, toElement, offsetX/Y, document.all
// and innerText, so those are left to the engine.
(() => {
  'use strict';
  // Idempotent: a second run in the same global finds the mark and leaves.
  const mark = Symbol.for('dorv.compat');
  if (window[mark]) return;
  Object.defineProperty(window, mark, {value: true});

  // The engine's own objects, taken before page scripts run: IE-era pages
  // often defined globals of these names themselves (a `Node` of node type
  // constants, an `XMLHttpRequest` or a `DOMParser` that calls
  // ActiveXObject, an `Event` of event helpers). Taking an interface object
  // costs time, so names that such pages had no reason to define are looked
  // up when used.
  const {Node, Element, Document, XMLDocument, HTMLUnknownElement, Event, XMLHttpRequest, DOMParser, getComputedStyle,
         queueMicrotask} = window;

  // Sends a line to the shell's trace; outside the shell there is no handler.
  function trace(text) {
    try {
      const handlers = window.webkit && window.webkit.messageHandlers;
      if (handlers && handlers.dorv) handlers.dorv.postMessage('trace:' + text);
    } catch (ignored) {
      // The trace helps the author; it is never a reason to fail.
    }
  }

  // Defines a property as the engine defines its own (not enumerable,
  // configurable), and never over one that exists.
  function define(target, name, descriptor) {
    if (!(name in target)) Object.defineProperty(target, name, Object.assign({configurable: true}, descriptor));
  }
  const method = (target, name, fn) => define(target, name, {value: fn, writable: true});

  // What an assignment to a property that a node lacks makes: an ordinary
  // property of that node.
  const expando = (node, name, value) =>
    Object.defineProperty(node, name, {value, writable: true, enumerable: true, configurable: true});

  // An IE property on a prototype that belongs to some of its objects only
  // (`owns`); on the others the name reads undefined and an assignment makes
  // an ordinary property, as before.
  function partProperty(proto, name, owns, get, set) {
    define(proto, name, {
      get() { return owns(this) ? get(this) : undefined; },
      set(value) { return owns(this) ? set(this, value) : expando(this, name, value); },
    });
  }

  // Runs a page's callback; an exception it throws is reported as uncaught
  // without stopping the caller's own work.
  function callPage(callback, self) {
    try {
      callback.call(self);
    } catch (error) {
      queueMicrotask(() => { throw error; });
    }
  }

  // ---- Events: attachEvent, detachEvent, fireEvent, createEventObject ----

  // "onclick" → "click"; IE took event names in any letter case.
  function eventType(name) {
    const text = String(name).toLowerCase();
    return text.length > 2 && text.startsWith('on') ? text.slice(2) : '';
  }

  // IE's mouse buttons are a bit mask (1 left, 2 right, 4 middle): the bits
  // of the standard `buttons`. On mouseup IE named the button let go.
  function ieButton(event) {
    if (typeof event.buttons !== 'number') return undefined;
    const released = [1, 4, 2][event.button] || 0;
    if (event.type === 'mouseup') return released;
    return event.type === 'mousedown' ? event.buttons || released : event.buttons;
  }

  // IE called attached handlers with `this` the window and the event as the
  // only argument, and showed its own button numbers while they ran. The
  // handler's return value cancels nothing, as in IE: only returnValue =
  // false does, and the engine's returnValue and cancelBubble act already.
  function callAttached(handler, event) {
    const button = ieButton(event);
    if (button === undefined) return void handler.call(window, event);
    Object.defineProperty(event, 'button', {value: button, configurable: true});
    try {
      handler.call(window, event);
    } finally {
      delete event.button;
    }
  }

  // target → event type → handler → the listener registered for it.
  const attached = new WeakMap();
  function listenersOf(target, type) {
    const byType = attached.get(target) || attached.set(target, new Map()).get(target);
    return byType.get(type) || byType.set(type, new Map()).get(type);
  }

  // A handler attached twice is registered once, as in IE. Events that the
  // engine never fires ("onpropertychange", "onhelp") are accepted; their
  // handlers never run.
  function attachEvent(name, handler) {
    const target = this == null ? window : this;
    const type = eventType(name);
    if (!type || typeof handler !== 'function') return false;
    const listeners = listenersOf(target, type);
    if (!listeners.has(handler)) {
      const listener = (event) => callAttached(handler, event);
      listeners.set(handler, listener);
      target.addEventListener(type, listener, false);
    }
    return true;
  }

  function detachEvent(name, handler) {
    const target = this == null ? window : this;
    const type = eventType(name);
    if (!type || !attached.has(target)) return;
    const listeners = listenersOf(target, type);
    const listener = listeners.get(handler);
    if (!listener) return;
    listeners.delete(handler);
    target.removeEventListener(type, listener, false);
  }

  const isEvent = (value) => typeof value.preventDefault === 'function';

  // IE's event object without an event: pages fill it in for fireEvent.
  function createEventObject(model) {
    const copy = {type: '', button: 0, keyCode: 0, returnValue: undefined, cancelBubble: false};
    if (!model) return copy;
    for (const key of ['type', 'button', 'keyCode', 'clientX', 'clientY', 'screenX', 'screenY', 'altKey', 'ctrlKey',
                       'shiftKey', 'metaKey', 'fromElement', 'toElement']) {
      if (model[key] !== undefined) copy[key] = model[key];
    }
    if (isEvent(model)) copy.button = ieButton(model) || 0;
    return copy;
  }

  // The events that do not bubble when the engine fires them did not bubble
  // from IE's fireEvent either.
  const notBubbling = new Set(['focus', 'blur', 'load', 'unload', 'error', 'abort', 'resize', 'scroll', 'mouseenter',
                               'mouseleave']);

  function mouseInit(type, model, init) {
    for (const key of ['screenX', 'screenY', 'clientX', 'clientY']) init[key] = Number(model[key]) || 0;
    // A real event carries the standard button number, an IE event object
    // IE's bit mask.
    const mask = isEvent(model) ? model.buttons || 0 : Number(model.button) || 0;
    init.buttons = mask;
    init.button = isEvent(model) ? model.button || 0 : mask & 1 ? 0 : mask & 4 ? 1 : mask & 2 ? 2 : 0;
    const related = (type === 'mouseover' ? model.fromElement : type === 'mouseout' ? model.toElement : null) ||
                    model.relatedTarget;
    if (related && typeof related.addEventListener === 'function') init.relatedTarget = related;
    return new MouseEvent(type, init);
  }

  // WebKit takes the legacy key numbers from KeyboardEvent's init; should it
  // leave one out, the event carries it as its own property.
  function keyInit(type, model, init) {
    const code = Number(model.keyCode) || 0;
    const numbers = {keyCode: code, which: code, charCode: type === 'keypress' ? code : 0};
    if (typeof model.key === 'string') init.key = model.key;
    const event = new KeyboardEvent(type, Object.assign(init, numbers));
    for (const [key, value] of Object.entries(numbers)) {
      if (event[key] !== value) Object.defineProperty(event, key, {value, configurable: true});
    }
    return event;
  }

  // Dispatches a synthetic event and answers whether it was not cancelled,
  // as IE's fireEvent answered the event's returnValue.
  function fireEvent(name, template) {
    const model = template || {};
    const type = eventType(name);
    if (!type) throw new TypeError('fireEvent: "' + name + '" is not an event name');
    const init = {bubbles: !notBubbling.has(type), cancelable: true, view: window, altKey: !!model.altKey,
                  ctrlKey: !!model.ctrlKey, shiftKey: !!model.shiftKey, metaKey: !!model.metaKey};
    let event;
    if (/^(click|dblclick|contextmenu|mouse)/.test(type)) event = mouseInit(type, model, init);
    else if (type.startsWith('key')) event = keyInit(type, model, init);
    else event = new Event(type, {bubbles: init.bubbles, cancelable: true});
    return this.dispatchEvent(event);
  }

  function installEvents() {
    for (const target of [Element.prototype, Document.prototype, window]) {
      method(target, 'attachEvent', attachEvent);
      method(target, 'detachEvent', detachEvent);
    }
    method(Element.prototype, 'fireEvent', fireEvent);
    method(Document.prototype, 'fireEvent', fireEvent);
    method(Document.prototype, 'createEventObject', createEventObject);
  }

  // ---- Styles ----

  // currentStyle was IE's cascaded style; the computed style is the nearest
  // the engine has (lengths come in pixels rather than as written).
  // runtimeStyle was a layer above the inline style; the inline style
  // stands in for it.
  function installStyles() {
    define(Element.prototype, 'currentStyle', {get() { return getComputedStyle.call(window, this); }});
    define(Element.prototype, 'runtimeStyle', {get() { return this.style; }});
  }

  COMPAT_XML

  // ---- <bgsound> ----

  // bgsound → the Audio playing its sound (null for one without a sound).
  const sounds = new Map();
  let bgsounds = null;
  let observer = null;

  const isBgsound = (node) => node instanceof Element && node.localName === 'bgsound';

  // loop: missing → once, -1 or "infinite" → for ever, N → N times.
  function loopCount(element) {
    const loop = String(element.getAttribute('loop') || '1').trim().toLowerCase();
    const count = loop === 'infinite' ? -1 : parseInt(loop, 10);
    return count < 0 ? -1 : count > 1 ? count : 1;
  }

  // IE's volume ran from -10000 (silent) to 0 (full) in hundredths of a
  // decibel.
  function gain(volume) {
    const level = Number(volume);
    if (volume === null || !Number.isFinite(level)) return 1;
    return Math.pow(10, Math.min(0, Math.max(-10000, level)) / 2000);
  }

  function play(audio, src) {
    const started = audio.play();
    if (!started || !started.catch) return;
    started.catch((error) => trace('bgsound: ' + src + ' does not play: ' + error.message));
  }

  function stopSound(element) {
    const audio = sounds.get(element);
    if (audio) audio.pause();
    sounds.delete(element);
  }

  function startSound(element) {
    stopSound(element);
    observer.observe(element, {attributes: true, attributeFilter: ['src', 'loop']});
    sounds.set(element, null);
    const src = element.getAttribute('src');
    if (!src) return;
    // Made by the document, not by `new Audio()`: courses may well have an
    // `Audio` of their own. The src is taken relative to the page.
    const audio = document.createElement('audio');
    audio.src = src;
    let plays = loopCount(element);
    audio.loop = plays < 0;
    audio.volume = gain(element.getAttribute('volume'));
    audio.addEventListener('ended', () => --plays > 0 && play(audio, src));
    sounds.set(element, audio);
    play(audio, src);
  }

  const holdsBgsound = (node) =>
    node.nodeType === 1 && (isBgsound(node) || (node.firstElementChild && node.getElementsByTagName('bgsound')[0]));

  // A sound starts when its element comes into the document, and again each
  // time its src (or loop) is set, even to the same sound: IE pages play
  // their effects with `bgs.src = 'click.wav'`. While no sound is there, a
  // change costs a look at the nodes it added.
  function onMutations(records) {
    const changed = new Set();
    let added = false;
    for (const record of records) {
      if (record.type === 'attributes') changed.add(record.target);
      else if (!added) added = Array.prototype.some.call(record.addedNodes, holdsBgsound);
    }
    if (!added && sounds.size === 0) return;
    for (const element of sounds.keys()) if (!element.isConnected) stopSound(element);
    for (const element of bgsounds) if (changed.has(element) || !sounds.has(element)) startSound(element);
  }

  function watchSounds() {
    if (observer) return;
    bgsounds = document.getElementsByTagName('bgsound');
    observer = new MutationObserver(onMutations);
    observer.observe(document, {childList: true, subtree: true});
    for (const element of bgsounds) startSound(element);
  }

  function installBgsound() {
    const proto = HTMLUnknownElement.prototype;
    partProperty(proto, 'src', isBgsound, (element) => element.getAttribute('src') || '',
                 (element, value) => element.setAttribute('src', value));
    partProperty(proto, 'loop', isBgsound, loopCount, (element, value) => element.setAttribute('loop', value));
    partProperty(proto, 'volume', isBgsound, (element) => Number(element.getAttribute('volume')) || 0,
                 (element, value) => {
                   element.setAttribute('volume', value);
                   if (sounds.get(element)) sounds.get(element).volume = gain(String(value));
                 });
    if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', watchSounds);
    else watchSounds();
  }

  // Each part is installed on its own: one that fails leaves the others,
  // and the page, working.
  for (const install of [installEvents, installStyles, installXml, installBgsound]) {
    try {
      install();
    } catch (error) {
      trace('compat: ' + install.name + ' failed: ' + error);
    }
  }
})();
