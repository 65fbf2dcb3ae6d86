#include "jsi.h"
#include "regexp.h"

/*
 * Compiled regular expressions by pattern and flags. A regular expression literal makes a
 * new RegExp object, and compiles its pattern, every time its code runs: the cell store's
 * `.replace(/\\/g, ...)` did so at every store. The object still is new each time (its
 * lastIndex is its own); only the compiled program, which matching never writes to, is
 * shared, and so is its source text as the object shows it (escaped), which nothing writes
 * to either: it was copied, escaped, for every object. Programs and sources stay until the
 * interpreter ends, so a full cache compiles what comes after it as before, each object
 * owning its program and source.
 *
 * A literal is looked up at every run of its code, and its object's program is looked for
 * when the object is collected; a walk over the entries cost tens of instructions each time.
 * Two small tables, by the pattern's size, ends and flags and by the program's address, say
 * where the entry last put there is; another entry that lands on the same place is found by
 * the walk as before.
 */

enum { CACHED = 32, LONGEST = 256, HINTS = 64 };

struct js_RegCache
{
	int count;
	struct {
		char *pattern;
		char *source; /* as objects show it; made for the first that needs it */
		size_t size;
		int opts;
		Reprog *prog;
	} entry[CACHED];
	/* an entry's index plus one, 0 for none */
	unsigned char bypattern[HINTS];
	unsigned char byprog[HINTS];
};

static unsigned patternhint(const char *pattern, size_t size, int opts)
{
	/* size counts the terminating zero, so pattern[size - 2] is the last character */
	unsigned last = size > 1 ? (unsigned char)pattern[size - 2] : 0;
	return ((unsigned)size * 5 + (unsigned char)pattern[0] * 3 + last * 7 + (unsigned)opts) % HINTS;
}

static unsigned proghint(Reprog *prog)
{
	size_t h = (size_t)prog >> 4;
	return (unsigned)((h ^ (h >> 6)) % HINTS);
}

static int samepattern(struct js_RegCache *cache, int i, const char *pattern, size_t size, int opts)
{
	return cache->entry[i].size == size && cache->entry[i].opts == opts &&
		!memcmp(cache->entry[i].pattern, pattern, size);
}

/* *source is where the cache keeps the program's source as objects show it (NULL until the
   first object has made it), or NULL when the cache does not hold the program. */
Reprog *jsX_regcomp(js_State *J, const char *pattern, int opts, const char **error, char ***source)
{
	struct js_RegCache *cache = J->regcache;
	size_t size = strlen(pattern) + 1;
	char *copy;
	Reprog *prog;
	int i;

	if (cache) {
		i = cache->bypattern[patternhint(pattern, size, opts)] - 1;
		if (i < 0 || !samepattern(cache, i, pattern, size, opts))
			/* the size and flags first: most entries differ in them */
			for (i = 0; i < cache->count && !samepattern(cache, i, pattern, size, opts); ++i)
				;
		if (i < cache->count) {
			*source = &cache->entry[i].source;
			return cache->entry[i].prog;
		}
	} else {
		cache = J->regcache = js_malloc(J, sizeof *cache);
		cache->count = 0;
		memset(cache->bypattern, 0, sizeof cache->bypattern);
		memset(cache->byprog, 0, sizeof cache->byprog);
	}
	*source = NULL;
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
	cache->entry[cache->count].source = NULL;
	cache->entry[cache->count].size = size;
	cache->entry[cache->count].opts = opts;
	cache->entry[cache->count].prog = prog;
	*source = &cache->entry[cache->count].source;
	++cache->count;
	cache->bypattern[patternhint(pattern, size, opts)] = (unsigned char)cache->count;
	cache->byprog[proghint(prog)] = (unsigned char)cache->count;
	return prog;
}

static int cached(struct js_RegCache *cache, Reprog *prog)
{
	int i;
	if (!cache)
		return -1;
	i = cache->byprog[proghint(prog)] - 1;
	if (i >= 0 && cache->entry[i].prog == prog)
		return i;
	for (i = 0; i < cache->count; ++i)
		if (cache->entry[i].prog == prog)
			return i;
	return -1;
}

/* A RegExp object goes: its program and source go with it unless the cache holds them. */
void jsX_regfree(js_State *J, Reprog *prog, char *source)
{
	int i = cached(J->regcache, prog);
	if (i < 0 || J->regcache->entry[i].source != source)
		js_free(J, source);
	if (i < 0)
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
		js_free(J, cache->entry[i].source);
	}
	js_free(J, cache);
	J->regcache = NULL;
}
