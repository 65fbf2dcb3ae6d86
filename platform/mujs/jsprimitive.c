#include "jsi.h"
#include "jsvalue.h"
#include "utf.h"

/*
 * A member read on a string, number or boolean value (`text.replace`, `text.length`,
 * `text[0]`) made a wrapper object for the value, and for a string a copy of its text, only
 * to find the member on the wrapper's prototype and drop the wrapper again. A new wrapper has
 * no members of its own but a string's length and characters, so the member is found the
 * same way without one; the call that follows gets the value itself as `this`, as it always
 * did. Where the script can see the wrapper, a getter on the prototype (which gets it as
 * `this`), the caller still makes one.
 */

/* Pushes member `name` of the value *v and returns 1; returns 0, having pushed nothing, when
   the caller must read it on an object: v is one, or undefined or null (the caller's error),
   or the member is a getter. */
int jsX_primitivemember(js_State *J, js_Value *v, const char *name)
{
	js_Object *prototype;
	js_Property *ref;
	switch (v->type) {
	case JS_TSHRSTR:
	case JS_TLITSTR:
	case JS_TMEMSTR: {
		const char *text = jsV_tostring(J, v);
		int k;
		if (!strcmp(name, "length")) {
			js_pushnumber(J, utflen(text));
			return 1;
		}
		if (js_isarrayindex(J, name, &k) && k < utflen(text)) {
			Rune rune = js_runeat(J, text, k);
			char buf[UTFmax + 1];
			buf[runetochar(buf, &rune)] = 0;
			js_pushstring(J, buf);
			return 1;
		}
		prototype = J->String_prototype;
		break;
	}
	case JS_TNUMBER:
		prototype = J->Number_prototype;
		break;
	case JS_TBOOLEAN:
		prototype = J->Boolean_prototype;
		break;
	default:
		return 0;
	}
	ref = jsV_getproperty(J, prototype, name);
	if (!ref)
		js_pushundefined(J);
	else if (ref->getter)
		return 0;
	else
		js_pushvalue(J, ref->value);
	return 1;
}

/* The same for a member named by a number (`text[0]`). */
int jsX_primitiveindex(js_State *J, js_Value *v, int k)
{
	char buf[32];
	if (v->type == JS_TOBJECT || v->type == JS_TUNDEFINED || v->type == JS_TNULL)
		return 0;
	return jsX_primitivemember(J, v, js_itoa(buf, k));
}
