#include "documents/VxGraphicsDocument.h"

// The image view of the program is made here. Until it exists, documents have
// no view.
IVxGraphicsDocumentView *CreateGraphicsDocumentView(TVxGraphicsDocument &) { return nullptr; }
