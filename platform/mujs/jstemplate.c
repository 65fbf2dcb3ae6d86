#include "jsi.h"
#include "jslex.h"
#include "jsparse.h"
#include "jscompile.h"
#include "jsvalue.h"

#include <stdint.h>

/*
 * Literal templates. Compiling is most of the cost of running a short source, and a program
 * that sends the same statements again with other literal values (a row number, the text of
 * a cell) would compile every one of them. The shape of a source is its token sequence with
 * the values of string and number literals left out, and the line each token starts on. A
 * template is the script compiled from the first source of a shape, with the place in its
 * code of each literal of its own recorded; a later source of the same shape runs it with its
 * own literal values written into those places. Parsing and compiling read nothing of a
 * literal but its value, so the same shape gives the same code.
 *
 * Literals whose value the compiler used are compiled in, not given a place: those inside
 * nested functions (a closure can outlive the run), constants folded into one number,
 * property names of object literals, a directive. A source that differs from the template in
 * one of those does not match it and is compiled afresh.
 *
 * Shaping a source means lexing it. A source that differs from the one a template holds only
 * inside plain literals (a string of printable ASCII without quotes or backslashes, a whole
 * number without a leading zero) has the template's shape without being lexed: between its
 * literals it is byte for byte the same text, and such a literal is one token whatever it
 * holds. js_relit takes that way.
 */

static void shapeput(js_State *J, const void *data, int n)
{
	if (J->shape.len + n > J->shape.cap) {
		int cap = J->shape.cap ? J->shape.cap : 256;
		while (cap < J->shape.len + n)
			cap *= 2;
		J->shape.text = js_realloc(J, J->shape.text, cap);
		J->shape.cap = cap;
	}
	memcpy(J->shape.text + J->shape.len, data, n);
	J->shape.len += n;
}

/* What a byte can be around a plain literal, by a table: plainend runs on every literal that
   changed, every line. 1: inside a plain string (printable ASCII but the backslash; the
   quote ends it first); 2: would carry a number on, or is a letter the lexer refuses there. */
#define INSTRING 1
#define AFTERNUMBER 2
static const unsigned char aroundliteral[256] = {
	0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
	0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
	1, 1, 1, 1, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3, 1,
	3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 1, 1, 1, 1, 1, 1,
	1, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3,
	3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 1, 2, 1, 1, 3,
	1, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3,
	3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 1, 1, 1, 1, 0,
	2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
	2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
	2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
	2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
	2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
	2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
	2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
	2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
};

/* Where a plain literal starting at text[at] ends (one past it), or -1 when it is not plain. */
static int plainend(const char *text, int at, int kind)
{
	int j = at;
	if (kind == TK_STRING) {
		char quote = text[j++];
		if (quote != '\'' && quote != '"')
			return -1;
		for (; text[j] != quote; ++j)
			if (!(aroundliteral[(unsigned char)text[j]] & INSTRING))
				return -1;
		return j + 1;
	}
	if (text[j] == '0')
		++j;
	else
		while (text[j] >= '0' && text[j] <= '9')
			++j;
	if (j == at || j - at > 15)
		return -1;
	/* nothing that could carry the number on, nor a letter the lexer would refuse */
	if (aroundliteral[(unsigned char)text[j]] & AFTERNUMBER)
		return -1;
	return j;
}

/* Where the literal starting at text[at] ends, as the lexer read it; -1 when not known. */
static int rawend(const char *text, int at, int kind)
{
	int j = at + 1;
	if (kind != TK_STRING)
		return plainend(text, at, kind);
	while (text[j] && text[j] != text[at])
		j += text[j] == '\\' && text[j + 1] ? 2 : 1;
	return text[j] ? j + 1 : -1;
}

static js_Literal *scanliteral(js_State *J, int kind)
{
	js_Literal *lit;
	if (J->scanlen >= J->scancap) {
		int i, cap = J->scancap ? J->scancap * 2 : 16;
		J->scan = js_realloc(J, J->scan, cap * sizeof *J->scan);
		for (i = J->scancap; i < cap; ++i) {
			J->scan[i].text = NULL;
			J->scan[i].textcap = 0;
		}
		J->scancap = cap;
	}
	lit = &J->scan[J->scanlen++];
	lit->kind = kind;
	lit->pc = -1;
	lit->string = NULL;
	lit->number = 0;
	lit->start = 0;
	lit->end = -1;
	lit->plain = 0;
	return lit;
}

/* Each record starts with an int: a token, followed by what names it (an identifier's
   interned name, a regular expression's text and flags), or -1 and the line that the
   following tokens start on. */
static void scanshape(js_State *J, const char *source)
{
	static const int newline = -1;
	int token, line = 0;
	js_Literal *lit;
	J->shape.len = 0;
	J->scanlen = 0;
	J->scansource = source;
	jsY_initlex(J, "shape", source);
	do {
		token = jsY_lex(J);
		if (J->lexline != line) {
			line = J->lexline;
			shapeput(J, &newline, sizeof newline);
			shapeput(J, &line, sizeof line);
		}
		shapeput(J, &token, sizeof token);
		switch (token) {
		case TK_IDENTIFIER:
			shapeput(J, &J->text, sizeof J->text);
			break;
		case TK_REGEXP:
			shapeput(J, &J->text, sizeof J->text);
			shapeput(J, &J->number, sizeof J->number);
			break;
		case TK_STRING:
		case TK_NUMBER:
			lit = scanliteral(J, token);
			if (token == TK_STRING)
				lit->string = J->text;
			else
				lit->number = J->number;
			lit->start = (int)(J->lexstart - source);
			lit->end = rawend(source, lit->start, token);
			lit->plain = plainend(source, lit->start, token) >= 0;
			break;
		}
	} while (token != 0);
}

const char *js_literalshape(js_State *J, const char *source, int *length)
{
	if (js_try(J)) {
		js_pop(J, 1);
		return NULL;
	}
	scanshape(J, source);
	js_endtry(J);
	*length = J->shape.len;
	return J->shape.text;
}

/* Room for the source last scanned (of `length` bytes) beside a template. It is made before
   the template changes, so running out of memory leaves the template as it was. */
static void roomforsource(js_State *J, js_Function *F, int length)
{
	F->littext = js_realloc(J, F->littext, length + 1);
}

/* Keeps the source whose literals a template now holds, with their places in it. */
static void keepsource(js_State *J, js_Function *F, int length)
{
	int i;
	memcpy(F->littext, J->scansource, (size_t)length + 1);
	for (i = 0; i < F->litlen; ++i) {
		F->littab[i].start = J->scan[i].start;
		F->littab[i].end = J->scan[i].end;
		F->littab[i].plain = J->scan[i].plain;
	}
}

static void loadtemplate(js_State *J, const char *filename, const char *source)
{
	js_Ast *P;
	js_Function *F;
	int i, n;

	scanshape(J, source);

	if (js_try(J)) {
		J->templating = 0;
		jsP_freeparse(J);
		js_throw(J);
	}

	P = jsP_parse(J, filename, source);
	n = J->lexlit + 1;
	if (n > J->litcap) {
		J->litpc = js_realloc(J, J->litpc, n * sizeof *J->litpc);
		J->litcap = n;
	}
	J->litcount = n;
	for (i = 0; i < n; ++i)
		J->litpc[i] = -1;

	J->templating = 1;
	F = jsC_compilescript(J, P, J->default_strict);
	J->templating = 0;
	jsP_freeparse(J);

	js_newscript(J, F, J->GE);
	js_endtry(J);

	if (n == J->scanlen) {
		if (n > 0) {
			F->littab = js_malloc(J, n * sizeof *F->littab);
			for (i = 0; i < n; ++i) {
				F->littab[i] = J->scan[i];
				F->littab[i].pc = J->litpc[i] >= 0 ? J->litpc[i] : -1;
				F->littab[i].text = NULL; /* the scan's buffer stays the scan's */
				F->littab[i].textcap = 0;
			}
		}
		int length = (int)strlen(source);
		roomforsource(J, F, length);
		F->litlen = n;
		keepsource(J, F, length);
	}
}

int js_ploadtemplate(js_State *J, const char *filename, const char *source)
{
	if (js_try(J))
		return 1;
	loadtemplate(J, filename, source);
	js_endtry(J);
	return 0;
}

static js_Function *templateat(js_State *J, int idx)
{
	js_Object *obj;
	if (!js_isobject(J, idx))
		return NULL;
	obj = js_toobject(J, idx);
	if (obj->type != JS_CSCRIPT || obj->u.f.function->litlen < 0)
		return NULL;
	return obj->u.f.function;
}

/* Room for n bytes in a literal's own buffer; 0 when memory ran out, the buffer as it was.
   Refilling a template asks for memory without throwing, so that it needs no handler set up
   for every line it refills: running out only means compiling the source afresh. */
static int roomfortext(js_State *J, js_Literal *lit, int n)
{
	if (lit->textcap < n) {
		int cap = lit->textcap ? lit->textcap : 16;
		char *text;
		while (cap < n)
			cap *= 2;
		text = J->alloc(J->actx, lit->text, cap);
		if (!text)
			return 0;
		lit->text = text;
		lit->textcap = cap;
	}
	return 1;
}

static int putliterals(js_State *J, js_Function *F, int length, int oldlength);

/* Puts the literals last scanned into F, if those it has compiled in are the same. A string
   put in goes into the template's own buffer for that literal, which the code points at:
   it is pushed as a copy (OP_STRINGCOPY), so no value ever points into the buffer, and the
   next source's literal can take its place. */
static int takeliterals(js_State *J, js_Function *F)
{
	int i;

	if (F->litlen != J->scanlen)
		return 0;

	for (i = 0; i < F->litlen; ++i) {
		const js_Literal *have = &F->littab[i], *want = &J->scan[i];
		if (have->kind != want->kind)
			return 0;
		if (have->pc >= 0)
			continue;
		/* the same string, interned, is the same pointer */
		if (have->kind == TK_STRING ? have->string != want->string && strcmp(have->string, want->string) != 0
				: memcmp(&have->number, &want->number, sizeof have->number) != 0)
			return 0;
	}

	return putliterals(J, F, (int)strlen(J->scansource), (int)strlen(F->littext));
}

/* Writes the literals last scanned, which F's compiled-in ones are known to match, into F,
   whose source kept so far is oldlength bytes long (its buffer holds that and its end at
   least). 0 when memory ran out, F as it was. */
static int putliterals(js_State *J, js_Function *F, int length, int oldlength)
{
	int i;

	/* every allocation before the first change */
	if (length > oldlength) {
		char *text = J->alloc(J->actx, F->littext, length + 1);
		if (!text)
			return 0;
		F->littext = text;
	}
	for (i = 0; i < F->litlen; ++i)
		if (F->littab[i].pc >= 0 && F->littab[i].kind == TK_STRING && J->scan[i].string != F->littab[i].text)
			if (!roomfortext(J, &F->littab[i], (int)strlen(J->scan[i].string) + 1))
				return 0;

	for (i = 0; i < F->litlen; ++i) {
		js_Literal *have = &F->littab[i];
		const js_Literal *want = &J->scan[i];
		if (have->pc < 0)
			continue;
		if (have->kind == TK_STRING) {
			if (want->string != have->text)
				strcpy(have->text, want->string);
			memcpy(F->code + have->pc, &have->text, sizeof have->text);
			have->string = have->text;
		} else {
			memcpy(F->code + have->pc, &want->number, sizeof want->number);
			have->number = want->number;
		}
	}
	keepsource(J, F, length);
	return 1;
}

int js_takeliterals(js_State *J, int idx)
{
	js_Function *F = templateat(J, idx);
	int taken;
	if (!F)
		return 0;
	if (js_try(J)) { /* out of memory: the caller compiles the source, and learns it there */
		js_pop(J, 1);
		return 0;
	}
	taken = takeliterals(J, F);
	js_endtry(J);
	return taken;
}

/* How many bytes from the start a and b have the same, looking at no more than limit. A word
   at a time: the sources sent again are mostly the same text, and differ in a few bytes. */
static int samebytes(const char *a, const char *b, int limit)
{
	uint64_t x, y;
	int k = 0;
	while (k + 8 <= limit) {
		memcpy(&x, a + k, sizeof x);
		memcpy(&y, b + k, sizeof y);
		if (x != y)
			break;
		k += 8;
	}
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
	/* the first byte that differs is the lowest set in x ^ y; the last bytes, fewer than a
	   word, are looked at as the word that ends with them */
	if (k + 8 <= limit)
		return k + __builtin_ctzll(x ^ y) / 8;
	if (limit >= 8) {
		memcpy(&x, a + limit - 8, sizeof x);
		memcpy(&y, b + limit - 8, sizeof y);
		return x == y ? limit : limit - 8 + __builtin_ctzll(x ^ y) / 8;
	}
#endif
	while (k < limit && a[k] == b[k])
		++k;
	return k;
}

/* The old source and the new are walked together from one difference to the next; each
   difference must fall in a literal the template has a place for, which the new source must
   have as a plain literal of the same kind, after which the two texts go on from the ends of
   their literals. Literals with the same bytes are not looked at one by one, and only those
   that changed are written. The scan holds what changed (pc there: the literal's ordinal),
   so the template changes only once the whole source is known to fit it. */
static int relit(js_State *J, js_Function *F, const char *source)
{
	const char *old = F->littext;
	int i = 0, o = 0, n = 0, k, end, length, oldlength, first;
	js_Literal *have, *lit;
	double x;

	/* a template that has more literals than the scan has room for is left to compiling */
	if (!old || F->litlen > J->scancap)
		return 0;
	length = (int)strlen(source);
	oldlength = (int)strlen(old);
	J->scanlen = 0;
	J->scansource = source;
	for (;;) {
		k = samebytes(old + o, source + n, oldlength - o < length - n ? oldlength - o : length - n);
		o += k;
		n += k;
		if (o == oldlength && n == length)
			break;
		/* the first literal not over before the difference; one whose end is not known is
		   skipped, so a difference in it lands before the next one's start and fails */
		while (i < F->litlen && F->littab[i].end < o)
			++i;
		if (i == F->litlen)
			return 0;
		have = &F->littab[i];
		/* a difference between literals, or in one compiled in: the source needs compiling */
		if (have->start > o || !have->plain || have->pc < 0)
			return 0;
		/* the new literal starts where the old did, moved by what changed before it */
		end = plainend(source, have->start + (n - o), have->kind);
		if (end < n)
			return 0;
		lit = &J->scan[J->scanlen++];
		lit->pc = i;
		lit->start = have->start + (n - o);
		lit->end = end;
		o = have->end;
		n = end;
		++i;
	}
	if (J->scanlen == 0)
		return 1;

	/* every allocation before the first change */
	if (length > oldlength) {
		char *text = J->alloc(J->actx, F->littext, length + 1);
		if (!text)
			return 0;
		F->littext = text;
	}
	for (k = 0; k < J->scanlen; ++k) {
		lit = &J->scan[k];
		if (F->littab[lit->pc].kind == TK_STRING && !roomfortext(J, &F->littab[lit->pc], lit->end - lit->start - 1))
			return 0;
	}

	for (k = 0; k < J->scanlen; ++k) {
		lit = &J->scan[k];
		have = &F->littab[lit->pc];
		if (have->kind == TK_STRING) {
			memcpy(have->text, source + lit->start + 1, (size_t)(lit->end - lit->start - 2));
			have->text[lit->end - lit->start - 2] = 0;
			memcpy(F->code + have->pc, &have->text, sizeof have->text);
			have->string = have->text;
		} else {
			for (x = 0, end = lit->start; end < lit->end; ++end)
				x = x * 10 + (source[end] - '0');
			memcpy(F->code + have->pc, &x, sizeof x);
			have->number = x;
		}
	}
	/* the places of the literals from the first that changed on, and the source from there */
	first = J->scan[0].pc;
	for (i = first, k = 0, n = 0; i < F->litlen; ++i) {
		have = &F->littab[i];
		if (k < J->scanlen && J->scan[k].pc == i) {
			n = J->scan[k].end - have->end;
			have->start = J->scan[k].start;
			have->end = J->scan[k].end;
			++k;
		} else {
			have->start += n;
			if (have->end >= 0)
				have->end += n;
		}
	}
	o = F->littab[first].start;
	memcpy(F->littext + o, source + o, (size_t)(length - o) + 1);
	return 1;
}

/* Nothing here throws (memory is asked for without), so no handler is set up. */
int js_relit(js_State *J, int idx, const char *source)
{
	js_Function *F = templateat(J, idx);
	return F ? relit(J, F, source) : 0;
}

/* The compiler has just put a template's own literal `lit` into the code at pc. A literal the
   compiler emits more than once (a finally block is compiled once for each way out of its
   try) has no single place: it is compiled in, and a source must match it. */
void jsT_recordliteral(js_State *J, int lit, int pc)
{
	J->litpc[lit] = J->litpc[lit] == -1 ? pc : -2;
}

void jsT_freefunction(js_State *J, js_Function *F)
{
	int i;
	for (i = 0; i < F->litlen; ++i)
		js_free(J, F->littab[i].text);
	js_free(J, F->littab);
	js_free(J, F->littext);
}

void jsT_freestate(js_State *J)
{
	int i;
	for (i = 0; i < J->scancap; ++i)
		js_free(J, J->scan[i].text);
	js_free(J, J->shape.text);
	js_free(J, J->scan);
	js_free(J, J->litpc);
}
