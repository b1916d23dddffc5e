// MSXML's DOMDocument and XMLHTTP for compat.js, placed where it marks
// COMPAT_XML: it runs inside compat.js's function and uses its helpers
// (define, trace, callPage) and the engine's objects taken there.
  // ---- XML: MSXML's DOMDocument and XMLHTTP ----

  // MSXML's error numbers for a parse error and for a resource that could
  // not be read. Pages compare them with 0 only.
  const PARSE_FAILED = 0xc00ce502 | 0;
  const LOAD_FAILED = 0x800c0006 | 0;
  const ORDERED_NODE_SNAPSHOT_TYPE = 7;
  const FIRST_ORDERED_NODE_TYPE = 9;
  const SHOW_TEXT = 4;

  // document → {parseError, namespaces, request, and the properties set}
  const xmlState = new WeakMap();
  const stateOf = (doc) =>
    xmlState.get(doc) || xmlState.set(doc, {parseError: null, namespaces: {}, request: null}).get(doc);
  const documentOf = (node) => (node.nodeType === 9 ? node : node.ownerDocument);
  // The nodes of HTML documents keep their standard behaviour.
  const isXmlNode = (node) => node instanceof Node && documentOf(node) !== null &&
                              documentOf(node).contentType !== 'text/html';
  const hasOwnReadyState = (doc) => Object.prototype.hasOwnProperty.call(doc, 'readyState');

  function keepsSpace(element) {
    for (let node = element; node && node.nodeType === 1; node = node.parentNode) {
      const space = node.getAttribute('xml:space');
      if (space) return space === 'preserve';
    }
    return false;
  }

  // MSXML dropped the text nodes holding only white space unless told to
  // keep them, and pages count on firstChild being the first element.
  function dropWhiteSpace(doc) {
    const walker = doc.createTreeWalker(doc, SHOW_TEXT);
    const blank = [];
    for (let node = walker.nextNode(); node; node = walker.nextNode()) {
      if (/^[ \t\r\n]*$/.test(node.data) && !keepsSpace(node.parentNode)) blank.push(node);
    }
    for (const node of blank) node.remove();
  }

  function clear(doc) {
    while (doc.firstChild) doc.removeChild(doc.firstChild);
  }

  const failure = (errorCode, reason, fields) =>
    Object.assign({errorCode, reason, line: 0, linepos: 0, filepos: 0, srcText: '', url: ''}, fields);

  // WebKit reports a parse error as a <parsererror> element in the XHTML
  // namespace, holding "error on line L at column C: reason".
  function parseFailure(parsed, text) {
    for (const element of parsed.getElementsByTagName('parsererror')) {
      if (element.namespaceURI !== 'http://www.w3.org/1999/xhtml') continue;
      const message = (element.querySelector('div') || element).textContent;
      const found = /line (\d+) at column (\d+):\s*(.*)/.exec(message);
      if (!found) return failure(PARSE_FAILED, message.trim());
      const line = Number(found[1]);
      return failure(PARSE_FAILED, found[3].trim(),
                     {line, linepos: Number(found[2]), srcText: text.split(/\r\n|\r|\n/)[line - 1] || ''});
    }
    return null;
  }

  // Replaces the document's content with the parse of `text`. After a parse
  // error the document is empty (documentElement null), as in MSXML.
  function takeParsed(doc, text, url) {
    clear(doc);
    const parsed = new DOMParser().parseFromString(text, 'text/xml');
    const error = parseFailure(parsed, text);
    stateOf(doc).parseError = error && Object.assign(error, {url});
    if (error) return false;
    while (parsed.firstChild) doc.appendChild(doc.adoptNode(parsed.firstChild));
    if (doc.preserveWhiteSpace === false) dropWhiteSpace(doc);
    return true;
  }

  function failLoad(doc, url, reason) {
    clear(doc);
    stateOf(doc).parseError = failure(LOAD_FAILED, reason, {url: String(url)});
    return false;
  }

  // A document made by ActiveXObject counts its loading in a numeric
  // readyState and calls onreadystatechange at each step; other documents
  // keep the engine's readyState.
  function notify(doc) {
    if (typeof doc.onreadystatechange === 'function') callPage(doc.onreadystatechange, doc);
  }
  function advance(doc, readyState) {
    if (!hasOwnReadyState(doc)) return;
    while (doc.readyState < readyState) {
      doc.readyState++;
      notify(doc);
    }
  }

  function finishLoad(doc, request, url, networkError) {
    const status = request.status;
    if (networkError) return failLoad(doc, url, 'The resource could not be read: ' + url);
    if (status !== 0 && (status < 200 || status > 299)) {
      return failLoad(doc, url, 'HTTP ' + status + ' ' + request.statusText + ': ' + url);
    }
    return takeParsed(doc, request.responseText, request.responseURL || String(url));
  }

  function abortLoad(doc) {
    const state = stateOf(doc);
    const request = state.request;
    state.request = null;
    if (!request) return;
    request.abort();
    if (hasOwnReadyState(doc)) doc.readyState = 4;
  }

  // The response is read as XML, so that its encoding declaration
  // (Shift_JIS in many courses) decides how its bytes are decoded.
  function load(url) {
    const doc = this;
    const async = doc.async !== false;
    const request = new XMLHttpRequest();
    abortLoad(doc);
    clear(doc);
    try {
      request.open('GET', String(url), async);
      request.overrideMimeType('text/xml');
      if (!async) {
        request.send();
        return finishLoad(doc, request, url, false);
      }
    } catch (error) {
      return failLoad(doc, url, error.message);
    }
    stateOf(doc).request = request;
    // Loading (1) from the call on; the page hears of it once the call has
    // returned, so that a handler set just after load() is called too.
    if (hasOwnReadyState(doc)) {
      doc.readyState = 1;
      queueMicrotask(() => doc.readyState === 1 && notify(doc));
    }
    let networkError = false;
    request.onerror = request.ontimeout = () => (networkError = true);
    request.onreadystatechange = () => {
      if (request.readyState < 4 && stateOf(doc).request === request) advance(doc, request.readyState);
    };
    request.onloadend = () => {
      if (stateOf(doc).request !== request) return;
      stateOf(doc).request = null;
      advance(doc, 3);
      finishLoad(doc, request, url, networkError);
      advance(doc, 4);
      doc.dispatchEvent(new Event('load'));
    };
    request.send();
    return true;
  }

  function loadXML(text) {
    abortLoad(this);
    return takeParsed(this, String(text), '');
  }

  // SelectionLanguage is XPath whatever is asked; SelectionNamespaces names
  // the prefixes that XPath expressions may use.
  function setProperty(name, value) {
    const state = stateOf(this);
    if (name === 'SelectionNamespaces') {
      state.namespaces = {};
      for (const found of String(value).matchAll(/xmlns:([\w.-]+)\s*=\s*(["'])(.*?)\2/g)) {
        state.namespaces[found[1]] = found[3];
      }
    }
    state[':' + name] = value;
  }
  function getProperty(name) {
    const value = stateOf(this)[':' + name];
    return value !== undefined ? value : name === 'SelectionLanguage' ? 'XPath' : '';
  }

  // Prefixes come from SelectionNamespaces, then from the document's own
  // declarations.
  function evaluate(context, expression, type) {
    const doc = documentOf(context);
    const names = stateOf(doc).namespaces;
    const root = doc.documentElement;
    const resolver = (prefix) => names[prefix] || (root && root.lookupNamespaceURI(prefix)) || null;
    return doc.evaluate(String(expression), context, resolver, type, null);
  }

  // MSXML's node list: length, item(i), index access, nextNode and reset.
  function selectNodes(expression) {
    const found = evaluate(this, expression, ORDERED_NODE_SNAPSHOT_TYPE);
    const nodes = [];
    for (let i = 0; i < found.snapshotLength; i++) nodes.push(found.snapshotItem(i));
    let next = 0;
    return Object.defineProperties(nodes, {
      item: {value: (index) => nodes[index] || null},
      nextNode: {value: () => nodes[next++] || null},
      reset: {value: () => void (next = 0)},
    });
  }

  function selectSingleNode(expression) {
    return evaluate(this, expression, FIRST_ORDERED_NODE_TYPE).singleNodeValue;
  }

  // Without preserveWhiteSpace MSXML left out the white space around a
  // node's text.
  function textOf(node) {
    if (node.nodeType === 9) return node.documentElement ? textOf(node.documentElement) : '';
    const text = node.textContent || '';
    const element = node.nodeType === 1 ? node : node.parentNode;
    const trims = documentOf(node).preserveWhiteSpace === false && !keepsSpace(element);
    return trims ? text.replace(/^[ \t\r\n]+|[ \t\r\n]+$/g, '') : text;
  }

  function createXmlDom() {
    const doc = document.implementation.createDocument(null, null, null);
    const properties = {async: true, preserveWhiteSpace: false, validateOnParse: true, resolveExternals: true,
                        readyState: 4, onreadystatechange: null, ondataavailable: null};
    for (const [name, value] of Object.entries(properties)) expando(doc, name, value);
    return doc;
  }

  // XMLHTTP's responseXML as MSXML gave it: white space dropped, and for a
  // response that is not well-formed XML a document whose parseError says
  // why, where the engine gives null.
  let nativeResponseXML = null;
  const tidied = new WeakSet();
  const failedResponses = new WeakMap();
  function responseDocument(request) {
    const doc = nativeResponseXML.call(request);
    if (doc) {
      if (!tidied.has(doc)) {
        tidied.add(doc);
        expando(doc, 'preserveWhiteSpace', false);
        dropWhiteSpace(doc);
      }
      return doc;
    }
    if (request.readyState !== 4 || request.responseType !== '') return null;
    const text = request.responseText;
    const known = failedResponses.get(request);
    if (known && known.text === text) return known.doc;
    const failed = createXmlDom();
    takeParsed(failed, text, request.responseURL);
    failedResponses.set(request, {text, doc: failed});
    return failed;
  }

  function createXmlHttp() {
    const request = new XMLHttpRequest();
    Object.defineProperty(request, 'responseXML', {get: () => responseDocument(request), configurable: true});
    return request;
  }

  // MSXML 4 and 5 were commonly installed beside the browser, and pages of
  // the time ask for them first.
  const xmlDomIds = ['microsoft.xmldom', 'msxml2.domdocument', 'msxml2.domdocument.3.0', 'msxml2.domdocument.4.0',
                     'msxml2.domdocument.5.0', 'msxml2.domdocument.6.0'];
  const xmlHttpIds = ['microsoft.xmlhttp', 'msxml2.xmlhttp', 'msxml2.xmlhttp.3.0', 'msxml2.xmlhttp.4.0',
                      'msxml2.xmlhttp.5.0', 'msxml2.xmlhttp.6.0'];

  // Pages that test `window.ActiveXObject` take their IE branch, which the
  // XML objects serve. Every other ProgID fails as on a machine without that
  // component, and the trace names it.
  function ActiveXObject(progId) {
    const id = String(progId).trim().toLowerCase();
    if (xmlDomIds.includes(id)) return createXmlDom();
    if (xmlHttpIds.includes(id)) return createXmlHttp();
    trace('ActiveXObject: ' + progId + ' is not offered');
    const error = new Error("Automation server can't create object");
    error.number = 0x800a01ad | 0;
    error.description = error.message;
    throw error;
  }

  function installXml() {
    nativeResponseXML = Object.getOwnPropertyDescriptor(XMLHttpRequest.prototype, 'responseXML').get;
    const abort = function abort() { abortLoad(this); };
    for (const [name, fn] of Object.entries({load, loadXML, abort, setProperty, getProperty})) {
      method(XMLDocument.prototype, name, fn);
    }
    define(XMLDocument.prototype, 'parseError', {get() { return stateOf(this).parseError || failure(0, ''); }});
    method(Node.prototype, 'selectNodes', selectNodes);
    method(Node.prototype, 'selectSingleNode', selectSingleNode);
    // HTML elements with a `text` of their own (<a>, <option>, <script>,
    // <title>) keep it.
    partProperty(Node.prototype, 'text', isXmlNode, textOf, (node, value) => {
      if (node.nodeType !== 9) node.textContent = value;
    });
    partProperty(Node.prototype, 'xml', isXmlNode, (node) => new XMLSerializer().serializeToString(node), () => {});
    define(window, 'ActiveXObject', {value: ActiveXObject, writable: true});
  }
