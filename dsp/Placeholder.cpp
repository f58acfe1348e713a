// Keeps the library non-empty until the first algorithm lands.
namespace vivera::dsp {}
