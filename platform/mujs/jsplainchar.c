#include "jsi.h"
#include "jsvalue.h"
#include "utf.h"

/*
 * String.prototype.replace with a one-character pattern learns from one substring search
 * whether the text holds the character at all; this says which character a pattern stands
 * for, when it is that simple.
 */

/* The character a pattern of one plain character stands for, as UTF-8 in buf; NULL for any
   other pattern (or one that ignores case). */
const char *jsX_plainpatternchar(js_Regexp *re, char *buf)
{
	static const char *specials = "^$\\.*+?()[]{}|/";
	const char *s = re->source;
	Rune rune;
	int n;
	if (re->flags & JS_REGEXP_I)
		return NULL;
	if (s[0] == '\\') {
		if (!s[1] || !strchr(specials, s[1]) || s[2])
			return NULL;
		buf[0] = s[1];
		buf[1] = 0;
		return buf;
	}
	if (!s[0] || strchr(specials, s[0]))
		return NULL;
	n = chartorune(&rune, s);
	if (rune == Runeerror || s[n])
		return NULL;
	memcpy(buf, s, n);
	buf[n] = 0;
	return buf;
}
