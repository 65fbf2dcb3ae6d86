#include "jsi.h"
#include "jsvalue.h"
#include "utf.h"

/*
 * String.prototype.replace with a one-character pattern learns from one substring search
 * whether the text holds the character at all; this says which character a pattern stands
 * for, when it is that simple.
 */

/* Whether an ASCII character means something in a pattern, so that only a backslash before
   it makes it stand for itself. A test of one bit: this runs at every replace, and strchr on
   the list cost two calls a pattern. */
static int special(unsigned char c)
{
	/* ^ $ \ . * + ? ( ) [ ] { } | / */
	static const unsigned int bits[4] = {
		0x00000000u, 0x8000cf10u, 0x78000000u, 0x38000000u
	};
	return c < 0x80 && (bits[c >> 5] >> (c & 31) & 1);
}

/* The character a pattern of one plain character stands for, as UTF-8 in buf; NULL for any
   other pattern (or one that ignores case). */
const char *jsX_plainpatternchar(js_Regexp *re, char *buf)
{
	const char *s = re->source;
	Rune rune;
	int n;
	if (re->flags & JS_REGEXP_I)
		return NULL;
	if (s[0] == '\\') {
		if (!s[1] || !special((unsigned char)s[1]) || s[2])
			return NULL;
		buf[0] = s[1];
		buf[1] = 0;
		return buf;
	}
	if (!s[0] || special((unsigned char)s[0]))
		return NULL;
	if ((unsigned char)s[0] < Runeself) {
		if (s[1])
			return NULL;
		buf[0] = s[0];
		buf[1] = 0;
		return buf;
	}
	n = chartorune(&rune, s);
	if (rune == Runeerror || s[n])
		return NULL;
	memcpy(buf, s, n);
	buf[n] = 0;
	return buf;
}
