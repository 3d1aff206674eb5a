// The save driver's use of the compound document container. Kept apart from
// the record writers, which see the workbook model, so that the container's
// declarations meet nothing but the record lists.
#include <span>

#include "lxConstants.h"
#include "lxOLE.h"
#include "lxWriteGlobals.h"

namespace lx {

int32_t WriteXLSContainer(const std::u16string& fileName, TStream* stream, int32_t fileFormat,
                          const TXLSListProducer& produce, bool& created) {
  created = false;
  TXLSContainer container;
  int32_t result = container.CreateContainer(fileName, stream);
  if (result != kResultOk) return result;
  created = true;
  std::vector<const TXLSBlobList*> lists;
  result = produce(lists);
  if (result == kResultOk)
    result = container.WriteWorkbookStream(fileFormat, std::span<const TXLSBlobList* const>(lists));
  if (result == kResultOk) return container.FinishContainer();
  container.AbandonContainer();
  return result;
}

}  // namespace lx
