// What the report says of each thing the old browser offered and this
// engine does not.
#include "check/CourseReferences.h"

namespace dorv {

const char* LegacyKindName(LegacyKind kind) {
    switch (kind) {
        case LegacyKind::VBScript:
            return "VBScript";
        case LegacyKind::EncodedScript:
            return "encoded JScript";
        case LegacyKind::ActiveXControl:
            return "ActiveX control";
        case LegacyKind::ActiveXObject:
            return "ActiveX object";
        case LegacyKind::Flash:
            return "Flash";
        case LegacyKind::Shockwave:
            return "Shockwave";
        case LegacyKind::JavaApplet:
            return "Java applet";
        case LegacyKind::ModalDialog:
            return "IE dialog window";
        case LegacyKind::Popup:
            return "IE pop-up";
        case LegacyKind::ConditionalComment:
            return "content for IE only";
        case LegacyKind::Behavior:
            return "IE behavior";
    }
    return "";
}

const char* LegacyKindId(LegacyKind kind) {
    switch (kind) {
        case LegacyKind::VBScript:
            return "vbscript";
        case LegacyKind::EncodedScript:
            return "encoded-script";
        case LegacyKind::ActiveXControl:
            return "activex-control";
        case LegacyKind::ActiveXObject:
            return "activex-object";
        case LegacyKind::Flash:
            return "flash";
        case LegacyKind::Shockwave:
            return "shockwave";
        case LegacyKind::JavaApplet:
            return "java-applet";
        case LegacyKind::ModalDialog:
            return "modal-dialog";
        case LegacyKind::Popup:
            return "popup";
        case LegacyKind::ConditionalComment:
            return "conditional-comment";
        case LegacyKind::Behavior:
            return "behavior";
    }
    return "";
}

const char* LegacyKindWhy(LegacyKind kind) {
    switch (kind) {
        case LegacyKind::VBScript:
            return "the engine runs JavaScript only: rewrite it in JavaScript";
        case LegacyKind::EncodedScript:
            return "only Internet Explorer decoded it: use the script's plain text";
        case LegacyKind::ActiveXControl:
            return "ActiveX controls ran only in Internet Explorer on Windows";
        case LegacyKind::ActiveXObject:
            return "only the XML objects are offered (Microsoft.XMLDOM, Msxml2.DOMDocument, Microsoft.XMLHTTP, "
                   "Msxml2.XMLHTTP): the call throws";
        case LegacyKind::Flash:
        case LegacyKind::Shockwave:
            return "the engine has no plug-ins: convert it to video or to HTML and script";
        case LegacyKind::JavaApplet:
            return "the engine has no plug-ins: the applet does not run";
        case LegacyKind::ModalDialog:
            return "the engine has no modal dialog windows: use window.open() or a <dialog>";
        case LegacyKind::Popup:
            return "IE's pop-up objects are not offered: use an element of the page";
        case LegacyKind::ConditionalComment:
            return "only Internet Explorer showed what it hides: the engine leaves it out";
        case LegacyKind::Behavior:
            return "IE's behaviors (HTC files, VML) are not offered";
    }
    return "";
}

}  // namespace dorv
