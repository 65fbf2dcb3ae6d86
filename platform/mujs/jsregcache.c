#include "jsi.h"
#include "regexp.h"

/*
 * Compiled regular expressions by pattern and flags. A regular expression literal makes a
 * new RegExp object, and compiles its pattern, every time its code runs: the cell store's
 * `.replace(/\\/g, ...)` did so at every store. The object still is new each time (its
 * lastIndex is its own); only the compiled program, which matching never writes to, is
 * shared. Programs stay until the interpreter ends, so a full cache compiles what comes
 * after it as before, each object owning its program.
 */

enum { CACHED = 32, LONGEST = 256 };

struct js_RegCache
{
	int count;
	struct {
		char *pattern;
		size_t size;
		int opts;
		Reprog *prog;
	} entry[CACHED];
};

Reprog *jsX_regcomp(js_State *J, const char *pattern, int opts, const char **error)
{
	struct js_RegCache *cache = J->regcache;
	size_t size = strlen(pattern) + 1;
	char *copy;
	Reprog *prog;
	int i;

	if (cache) {
		/* the size and flags first: most entries differ in them, and a literal is looked up
		   at every run of its code */
		for (i = 0; i < cache->count; ++i)
			if (cache->entry[i].size == size && cache->entry[i].opts == opts &&
			    !memcmp(cache->entry[i].pattern, pattern, size))
				return cache->entry[i].prog;
	} else {
		cache = J->regcache = js_malloc(J, sizeof *cache);
		cache->count = 0;
	}
	if (cache->count == CACHED || size > LONGEST)
		return js_regcompx(J->alloc, J->actx, pattern, opts, error);

	copy = js_malloc(J, (int)size); /* before the program, which nothing would free */
	memcpy(copy, pattern, size);
	prog = js_regcompx(J->alloc, J->actx, pattern, opts, error);
	if (!prog) {
		js_free(J, copy);
		return NULL;
	}
	cache->entry[cache->count].pattern = copy;
	cache->entry[cache->count].size = size;
	cache->entry[cache->count].opts = opts;
	cache->entry[cache->count].prog = prog;
	++cache->count;
	return prog;
}

/* A RegExp object goes: its program goes with it unless the cache holds it. */
void jsX_regfree(js_State *J, Reprog *prog)
{
	struct js_RegCache *cache = J->regcache;
	int i;
	if (cache)
		for (i = 0; i < cache->count; ++i)
			if (cache->entry[i].prog == prog)
				return;
	js_regfreex(J->alloc, J->actx, prog);
}

void jsX_freeregcache(js_State *J)
{
	struct js_RegCache *cache = J->regcache;
	int i;
	if (!cache)
		return;
	for (i = 0; i < cache->count; ++i) {
		js_regfreex(J->alloc, J->actx, cache->entry[i].prog);
		js_free(J, cache->entry[i].pattern);
	}
	js_free(J, cache);
	J->regcache = NULL;
}
