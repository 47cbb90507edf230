// Loading and saving speed of the element stream, against a plain copy of the same bytes.

#include <benchmark/benchmark.h>

#include <cstring>

#include "core3d/Collection3D.h"
#include "core3d/ListBox3D.h"
#include "core3d/Vertex3D.h"
#include "platform/rtl/MemoryStream.h"

namespace {

// An item with a vertex, to load a collection of many small named records.
class TVertexItem : public TItemCollection3D {
 public:
  TVertexItem(TCollection3D* collection, const std::string& name) : TItemCollection3D(collection, name) {
    AddElement(&Vertex);
  }
  TVertex3D Vertex;
};

class TVertexCollection : public TCollection3D {
 public:
  TVertexCollection() : TCollection3D(nullptr, "vertices") { SetItemClass(&ItemClassOf<TVertexItem>); }
};

rtl::TMemoryStream Saved(TElement3D& element) {
  rtl::TMemoryStream stream;
  element.SaveToStream(stream);
  stream.SetPosition(0);
  return stream;
}

rtl::TMemoryStream SavedBoxes(int count) {
  TListBox3D boxes;
  for (int i = 0; i < count; ++i) {
    const auto f = static_cast<float>(i);
    boxes.AddBox()->SetBox({{f, f, f}, {f + 1, f + 2, f + 3}});
  }
  return Saved(boxes);
}

rtl::TMemoryStream SavedVertices(int count) {
  TVertexCollection collection;
  for (int i = 0; i < count; ++i) {
    auto* item = static_cast<TVertexItem*>(collection.Add(collection.UniqueName("Vertex")));
    item->Vertex.Position.SetXYZ(static_cast<float>(i), 1, 2);
  }
  return Saved(collection);
}

// Loads the same record into one element again and again.
void LoadRepeatedly(benchmark::State& state, TElement3D& element, rtl::TMemoryStream& stream) {
  for (auto _ : state) {
    stream.SetPosition(0);
    element.LoadFromStream(stream);
  }
  state.SetBytesProcessed(state.iterations() * stream.Size());
}

void BM_LoadBoxList(benchmark::State& state) {
  rtl::TMemoryStream stream = SavedBoxes(static_cast<int>(state.range(0)));
  TListBox3D boxes;
  LoadRepeatedly(state, boxes, stream);
}
BENCHMARK(BM_LoadBoxList)->Arg(100000);

void BM_SaveBoxList(benchmark::State& state) {
  rtl::TMemoryStream source = SavedBoxes(static_cast<int>(state.range(0)));
  TListBox3D boxes;
  boxes.LoadFromStream(source);
  rtl::TMemoryStream stream;
  for (auto _ : state) {
    stream.SetPosition(0);
    boxes.SaveToStream(stream);
  }
  state.SetBytesProcessed(state.iterations() * stream.Size());
}
BENCHMARK(BM_SaveBoxList)->Arg(100000);

void BM_LoadNamedCollection(benchmark::State& state) {
  rtl::TMemoryStream stream = SavedVertices(static_cast<int>(state.range(0)));
  TVertexCollection collection;
  LoadRepeatedly(state, collection, stream);
}
BENCHMARK(BM_LoadNamedCollection)->Arg(1000);

void BM_PlainCopy(benchmark::State& state) {
  rtl::TMemoryStream stream = SavedBoxes(static_cast<int>(state.range(0)));
  std::vector<std::uint8_t> target(stream.Bytes().size());
  for (auto _ : state) {
    std::memcpy(target.data(), stream.Bytes().data(), target.size());
    benchmark::DoNotOptimize(target.data());
  }
  state.SetBytesProcessed(state.iterations() * stream.Size());
}
BENCHMARK(BM_PlainCopy)->Arg(100000);

}  // namespace
