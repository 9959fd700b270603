// Replaced as the core modules arrive.
namespace norvik::core {}
