// The library's own half, written in ES3 style because the Windows engine the program
// also targets has no forEach, no Object.keys and maybe no JSON. Every enumeration skips
// function-valued members, so the toJSONString/parseJSON added to Object.prototype (which
// enumerate) never reach a result. json2's text is appended as its package ships it.
#include "json/script_library.h"

#include <string>

#include "json/json2_text.h"

namespace {

// Type tags are compared as Object.prototype.toString gives them; null is none of the five.
constexpr const char kOwnFunctions[] = R"js(function get__nodeValue(str_json, recursion) {
  var k, tag;
  for (k in str_json) {
    tag = Object.prototype.toString.call(str_json[k]);
    if (tag == '[object Object]' || tag == '[object Array]') {
      if (recursion) get__nodeValue(str_json[k], recursion);
    } else if (tag == '[object String]' || tag == '[object Number]' || tag == '[object Boolean]') {
      str_all.push(str_json[k]);
    }
  }
  return str_all;
}
function get__count(c) {
  return Object.prototype.toString.call(c) == '[object Array]' ? c.length : 0;
}
function get__name_All(a) {
  var k, names = new Array();
  if (Object.prototype.toString.call(a) != '[object Object]') return '';
  for (k in a) {
    if (typeof a[k] != 'function') names.push(k);
  }
  return names.join('\r\n');
}
function get__extend(target, source) {
  var i, k;
  if (Object.prototype.toString.call(target) == '[object Array]') {
    for (i = 0; i < source.length; i++) target.push(source[i]);
    return target;
  }
  for (k in source) {
    switch (typeof target[k]) {
      case 'string': case 'boolean': case 'undefined': case 'number':
        target[k] = source[k];
        break;
      case 'object':
        target[k] = get__extend(target[k], source[k]);
        break;
    }
  }
  return target;
}
if (!Object.prototype.toJSONString) {
  Object.prototype.toJSONString = function () { return JSON.stringify(this); };
  Object.prototype.parseJSON = function () { return JSON.parse(this); };
}
)js";

}  // namespace

const char* scriptLibrary() {
  static const std::string text = std::string(kOwnFunctions) + kJson2Text;
  return text.c_str();
}
