#include "jsi.h"
#include "jsvalue.h"

/*
 * JSON.stringify walked an object's members with an iterator: a node allocated per name, and
 * each name looked up again before it was written, then once more for its value, in case the
 * script the walk runs (a toJSON, a getter, a replacer) had changed the object meanwhile. An
 * object whose members are all data that is not an object runs no script while it is
 * written, so its members can be read where they are, in the iterator's order. The row
 * record written at every line is such an object.
 */

/* The enumerable own members of obj in enumeration order, into list, if obj is an ordinary
   object of at most max members, none a getter or setter or holding an object; else -1. */
int jsX_plainmembers(js_Object *obj, js_Property **list, int max)
{
	int i, n;
	if (obj->type != JS_COBJECT)
		return -1;
	n = jsV_ownmembers(obj, list, max);
	for (i = 0; i < n; ++i)
		if (list[i]->getter || list[i]->setter || list[i]->value.type == JS_TOBJECT)
			return -1;
	return n;
}

/* The text a value that is a string holds, where it holds it; NULL for any other value. */
const char *jsX_plaintext(js_Value *v)
{
	switch (v->type) {
	case JS_TSHRSTR: return v->u.shrstr;
	case JS_TLITSTR: return v->u.litstr;
	case JS_TMEMSTR: return v->u.memstr->p;
	default: return NULL;
	}
}
