#include "jsi.h"

/*
 * Interned strings in a chained hash table (FNV-1a, doubled when it holds as many strings as it
 * has buckets): a string is found with one comparison, where the balanced tree this replaces
 * walked and rebalanced its way down with strcmp, found or not. Identifiers, property names
 * and the literals compiled into code are interned, and stay for the life of the js_State.
 */

struct js_StringNode
{
	js_StringNode *next;
	char string[1];
};

static unsigned int jsS_hash(const char *s)
{
	unsigned int h = 2166136261u;
	while (*s)
		h = (h ^ (unsigned char)*s++) * 16777619u;
	return h;
}

static void jsS_grow(js_State *J)
{
	int cap = J->stringcap ? J->stringcap * 2 : 1024;
	js_StringNode **tab = js_malloc(J, cap * sizeof *tab);
	int i;
	memset(tab, 0, cap * sizeof *tab);
	for (i = 0; i < J->stringcap; ++i) {
		js_StringNode *node = J->stringtab[i];
		while (node) {
			js_StringNode *next = node->next;
			unsigned int h = jsS_hash(node->string) & (cap - 1);
			node->next = tab[h];
			tab[h] = node;
			node = next;
		}
	}
	js_free(J, J->stringtab);
	J->stringtab = tab;
	J->stringcap = cap;
}

void jsS_dumpstrings(js_State *J)
{
	int i;
	js_StringNode *node;
	printf("interned strings {\n");
	for (i = 0; i < J->stringcap; ++i)
		for (node = J->stringtab[i]; node; node = node->next)
			printf("\t'%s'\n", node->string);
	printf("}\n");
}

void jsS_freestrings(js_State *J)
{
	int i;
	for (i = 0; i < J->stringcap; ++i) {
		js_StringNode *node = J->stringtab[i];
		while (node) {
			js_StringNode *next = node->next;
			js_free(J, node);
			node = next;
		}
	}
	js_free(J, J->stringtab);
}

const char *js_intern(js_State *J, const char *s)
{
	unsigned int h = jsS_hash(s);
	js_StringNode *node;
	size_t n;
	if (J->stringcap)
		for (node = J->stringtab[h & (J->stringcap - 1)]; node; node = node->next)
			if (!strcmp(node->string, s))
				return node->string;
	n = strlen(s);
	if (n > JS_STRLIMIT)
		js_rangeerror(J, "invalid string length");
	if (J->stringlen >= J->stringcap)
		jsS_grow(J);
	node = js_malloc(J, soffsetof(js_StringNode, string) + n + 1);
	memcpy(node->string, s, n + 1);
	h &= J->stringcap - 1;
	node->next = J->stringtab[h];
	J->stringtab[h] = node;
	++J->stringlen;
	return node->string;
}
