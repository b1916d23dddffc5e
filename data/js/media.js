// Injected by the shell at document start into every frame of the course's
// pages when the course lies on disk. The engine's media player fetches only
// web, blob, data and file addresses, not the course's own: each sound or
// video of the course is read here (from the course, through the shell) and
// handed to the player as a data address of the same content. Not a blob: the
// player never finishes "loading" a blob (the element stays at
// HAVE_FUTURE_DATA, never fires canplaythrough, and its progress timer wakes
// the page three times a second for as long as it is shown), while a data
// address is loaded whole and the element comes to rest. Pages see the
// address they set; only currentSrc shows the data address.
(() => {
  'use strict';
  const SCHEME = 'dorv:';
  const original = new WeakMap();  // element -> the address the page gave

  function base64Of(bytes) {
    if (typeof bytes.toBase64 === 'function') return bytes.toBase64();
    let binary = '';
    for (let i = 0; i < bytes.length; i += 0x8000) {
      binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    }
    return btoa(binary);
  }

  // The file's bytes, read synchronously so that a play() right after the
  // address is set finds the sound in place, as pages expect.
  function dataUrlOf(url) {
    const request = new XMLHttpRequest();
    request.open('GET', url, false);
    request.overrideMimeType('text/plain; charset=x-user-defined');
    request.send();
    if (request.status !== 200 && request.status !== 0) return null;
    const text = request.responseText;
    const bytes = new Uint8Array(text.length);
    for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i) & 0xff;
    const type = (request.getResponseHeader('Content-Type') || '').split(';')[0] || 'application/octet-stream';
    return 'data:' + type + ';base64,' + base64Of(bytes);
  }

  const setAttribute = Element.prototype.setAttribute;
  const getAttribute = Element.prototype.getAttribute;
  const mediaSrc = Object.getOwnPropertyDescriptor(HTMLMediaElement.prototype, 'src');
  const sourceSrc = Object.getOwnPropertyDescriptor(HTMLSourceElement.prototype, 'src');

  // Points `element` at `value`; a course address becomes a data address.
  function assign(element, value) {
    const text = String(value);
    let absolute;
    try {
      absolute = new URL(text, element.baseURI || document.baseURI).href;
    } catch (e) {
      absolute = '';
    }
    if (!absolute.startsWith(SCHEME)) {
      original.delete(element);
      setAttribute.call(element, 'src', text);
    } else {
      let data = null;
      try {
        data = dataUrlOf(absolute);
      } catch (e) {
        data = null;
      }
      original.set(element, text);
      // A file that cannot be read fails in the player as it would have.
      setAttribute.call(element, 'src', data || absolute);
    }
  }

  function isMedia(element) {
    return element instanceof HTMLMediaElement || element instanceof HTMLSourceElement;
  }

  function defineSrc(proto, native) {
    Object.defineProperty(proto, 'src', {
      configurable: true,
      enumerable: true,
      get() {
        if (!original.has(this)) return native.get.call(this);
        try {
          return new URL(original.get(this), this.baseURI).href;
        } catch (e) {
          return original.get(this);
        }
      },
      set(value) {
        assign(this, value);
      },
    });
  }
  defineSrc(HTMLMediaElement.prototype, mediaSrc);
  defineSrc(HTMLSourceElement.prototype, sourceSrc);

  Element.prototype.setAttribute = function setAttributeForMedia(name, value) {
    if (isMedia(this) && String(name).toLowerCase() === 'src') return assign(this, value);
    return setAttribute.call(this, name, value);
  };
  Element.prototype.getAttribute = function getAttributeForMedia(name) {
    if (isMedia(this) && original.has(this) && String(name).toLowerCase() === 'src') return original.get(this);
    return getAttribute.call(this, name);
  };

  // new Audio(url) sets its address without the property.
  const NativeAudio = window.Audio;
  function Audio(src) {
    const audio = new NativeAudio();
    if (src !== undefined) audio.src = src;
    return audio;
  }
  Audio.prototype = NativeAudio.prototype;
  window.Audio = Audio;

  // Elements of the page's markup, and of markup written later.
  function adopt(node) {
    if (node.nodeType !== 1) return;
    const elements = isMedia(node) ? [node] : [];
    if (node.querySelectorAll) elements.push(...node.querySelectorAll('audio, video, source'));
    for (const element of elements) {
      const src = getAttribute.call(element, 'src');
      if (src !== null && !original.has(element) && !src.startsWith('blob:') && !src.startsWith('data:')) {
        assign(element, src);
        // A <source> counts only when the element chooses again.
        const media = element instanceof HTMLSourceElement ? element.parentElement : element;
        if (media instanceof HTMLMediaElement && media.networkState !== HTMLMediaElement.NETWORK_LOADING) {
          media.load();
        }
      }
    }
  }
  new MutationObserver((records) => {
    for (const record of records) record.addedNodes.forEach(adopt);
  }).observe(document, {childList: true, subtree: true});
})();
