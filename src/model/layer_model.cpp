#include "model/layer_model.h"

#include <algorithm>

namespace vx {

void LayerModel::Clear() {
    // A fresh model: assigning it frees the memory of a large layer at once.
    *this = LayerModel{};
}

std::vector<std::int32_t> ObjectNumbers(const LayerModel& model, std::int32_t count,
                                        std::int32_t rows) {
    std::vector<std::int32_t> numbers(static_cast<std::size_t>(std::max(count, 0)));
    bool usable = model.ObjectIndex.size() == numbers.size();
    const std::int32_t limit = std::max(count, rows);
    std::int32_t last = 0;
    for (std::size_t i = 0; usable && i < numbers.size(); ++i) {
        const std::int32_t number = model.ObjectIndex[i].ObjectNo;
        usable = number > last && number <= limit;
        last = numbers[i] = number;
    }
    if (!usable) {
        for (std::size_t i = 0; i < numbers.size(); ++i)
            numbers[i] = static_cast<std::int32_t>(i + 1);
    }
    return numbers;
}

namespace {

class HeldObjects final : public ObjectSource {
  public:
    explicit HeldObjects(const LayerModel& model) : model_(model) {}
    const RegionObject& Region(std::size_t i) override { return model_.Regions.at(i); }
    const LineObject& Line(std::size_t i) override { return model_.Lines.at(i); }
    const PointObject& Point(std::size_t i) override { return model_.Points.at(i); }

  private:
    const LayerModel& model_;
};

}  // namespace

ObjectSources ModelObjects(const LayerModel& model) {
    return [&model] { return std::make_unique<HeldObjects>(model); };
}

}  // namespace vx
