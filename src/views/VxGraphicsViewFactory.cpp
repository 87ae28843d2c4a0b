#include "documents/VxGraphicsDocument.h"
#include "views/VxGraphicsView.h"

// The image view of the program is made here.
IVxGraphicsDocumentView *CreateGraphicsDocumentView(TVxGraphicsDocument &document) {
  return new TVxGraphicsView(&document);
}
