#include "jsi.h"
#include "jsvalue.h"

/*
 * Property lookups in front of the tree. An object's properties are a tree ordered by name,
 * so finding one takes a string comparison per level, at every identifier the global object
 * resolves and every method a prototype gives (dense arrays keep their elements apart and
 * need none of this). The cache remembers the property last found for an object and a name, in a table indexed by
 * both; a hit costs a few instructions. Only objects with enough properties for the
 * tree to be deep are cached. Entries are never wrong: a property found is checked to have
 * the name asked for, and the table is emptied whenever a property or an object can go (a
 * delete, a collection), the only times a remembered property can stop being one. Emptying
 * it is a new generation: entries of an older one do not count.
 */

enum { SLOTS = 512 };

struct js_PropCache
{
	unsigned generation;
	struct {
		js_Object *obj;
		js_Property *ref;
		unsigned generation;
	} slot[SLOTS];
};

/* By the name's address, not its text: names in compiled code are interned, as every
   property's name is, so the same name comes at the same address and is found without a
   comparison. A name built elsewhere (an array index written out) only finds its slot by
   chance, and is compared before it counts. */
static unsigned slotof(js_Object *obj, const char *name)
{
	size_t h = ((size_t)obj >> 4) * 0x9E3779B1u ^ ((size_t)name >> 3);
	return (unsigned)((h ^ (h >> 13)) % SLOTS);
}

js_Property *jsX_propcached(js_State *J, js_Object *obj, const char *name, unsigned *slot)
{
	struct js_PropCache *cache = J->propcache;
	js_Property *ref;
	*slot = slotof(obj, name);
	if (!cache || cache->slot[*slot].obj != obj || cache->slot[*slot].generation != cache->generation)
		return NULL;
	ref = cache->slot[*slot].ref;
	return ref->name == name || !strcmp(ref->name, name) ? ref : NULL;
}

void jsX_propremember(js_State *J, unsigned slot, js_Object *obj, js_Property *ref)
{
	struct js_PropCache *cache = J->propcache;
	if (!cache) {
		/* not js_malloc, which throws: a lookup must not fail for want of its cache */
		cache = J->propcache = J->alloc(J->actx, NULL, sizeof *cache);
		if (!cache)
			return;
		memset(cache, 0, sizeof *cache);
	}
	cache->slot[slot].obj = obj;
	cache->slot[slot].ref = ref;
	cache->slot[slot].generation = cache->generation;
}

void jsX_propforget(js_State *J)
{
	struct js_PropCache *cache = J->propcache;
	if (cache && ++cache->generation == 0) /* wrapped round: old entries could match again */
		memset(cache, 0, sizeof *cache);
	/* the global variables the interpreter remembers (js_hasvar), on the same terms */
	if (++J->globals.generation == 0)
		memset(&J->globals, 0, sizeof J->globals);
}

void jsX_freepropcache(js_State *J)
{
	J->alloc(J->actx, J->propcache, 0);
	J->propcache = NULL;
}
