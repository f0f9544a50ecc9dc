#include "ColladaWriter.h"

#include "SceneDescription.h"
#include "TextureFactory.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

std::string num(float v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", static_cast<double>(v));
    std::string s = buffer;
    return s == "-0" ? "0" : s;
}

std::string vec(glm::vec3 v) {
    return num(v.x) + " " + num(v.y) + " " + num(v.z);
}

// COLLADA writes matrices row by row; glm keeps them column by column.
std::string matrix(const glm::mat4& m) {
    std::string s;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            if (!s.empty())
                s += ' ';
            s += num(m[col][row]);
        }
    }
    return s;
}

void floatSource(std::ostream& out, const std::string& id, const std::vector<float>& values, int stride,
                 const char* params) {
    out << "        <source id=\"" << id << "\">\n          <float_array id=\"" << id << "-array\" count=\""
        << values.size() << "\">";
    for (std::size_t i = 0; i < values.size(); ++i)
        out << (i ? " " : "") << num(values[i]);
    out << "</float_array>\n          <technique_common>\n            <accessor source=\"#" << id
        << "-array\" count=\"" << values.size() / static_cast<std::size_t>(stride) << "\" stride=\"" << stride
        << "\">";
    for (const char* p = params; *p != '\0'; ++p)
        out << "<param name=\"" << *p << "\" type=\"float\"/>";
    out << "</accessor>\n          </technique_common>\n        </source>\n";
}

void writeAsset(std::ostream& out) {
    out << "  <asset>\n    <contributor><authoring_tool>Lullvane content "
           "tool</authoring_tool></contributor>\n"
           "    <created>2024-01-01T00:00:00Z</created>\n    <modified>2024-01-01T00:00:00Z</modified>\n"
           "    <unit name=\"meter\" meter=\"1\"/>\n    <up_axis>Y_UP</up_axis>\n  </asset>\n";
}

void writeMaterials(std::ostream& out, const SceneDescription& scene) {
    std::vector<std::string> materials = scene.materials();
    if (materials.empty())
        return;
    out << "  <library_images>\n";
    for (const std::string& m : materials) {
        out << "    <image id=\"img-" << m << "\" name=\"" << m << "\"><init_from>"
            << TextureFactory::colourPath(m) << "</init_from></image>\n";
        out << "    <image id=\"img-" << m << "-n\" name=\"" << m << "-n\"><init_from>"
            << TextureFactory::normalPath(m) << "</init_from></image>\n";
    }
    out << "  </library_images>\n  <library_effects>\n";
    for (const std::string& m : materials) {
        out << "    <effect id=\"fx-" << m << "\">\n      <profile_COMMON>\n";
        for (const char* suffix : {"", "-n"}) {
            out << "        <newparam sid=\"" << m << suffix
                << "-surface\"><surface type=\"2D\"><init_from>img-" << m << suffix
                << "</init_from></surface></newparam>\n";
            out << "        <newparam sid=\"" << m << suffix << "-sampler\"><sampler2D><source>" << m
                << suffix << "-surface</source></sampler2D></newparam>\n";
        }
        // The game reads its normal map from the emissive slot.
        out << "        <technique sid=\"common\">\n          <phong>\n"
            << "            <emission><texture texture=\"" << m
            << "-n-sampler\" texcoord=\"UVMap\"/></emission>\n"
            << "            <ambient><color>0 0 0 1</color></ambient>\n"
            << "            <diffuse><texture texture=\"" << m
            << "-sampler\" texcoord=\"UVMap\"/></diffuse>\n"
            << "            <specular><color>0.5 0.5 0.5 1</color></specular>\n"
            << "            <shininess><float>30</float></shininess>\n"
            << "          </phong>\n        </technique>\n      </profile_COMMON>\n    </effect>\n";
    }
    out << "  </library_effects>\n  <library_materials>\n";
    for (const std::string& m : materials)
        out << "    <material id=\"mat-" << m << "\" name=\"" << m << "\"><instance_effect url=\"#fx-" << m
            << "\"/></material>\n";
    out << "  </library_materials>\n";
}

void writeVisualGeometry(std::ostream& out, const SceneNode& node) {
    std::string id = "geom-" + node.name;
    std::vector<float> positions, normals, uvs;
    for (const MeshPart& part : node.parts) {
        for (const MeshVertex& v : part.mesh.vertices) {
            positions.insert(positions.end(), {v.position.x, v.position.y, v.position.z});
            normals.insert(normals.end(), {v.normal.x, v.normal.y, v.normal.z});
            uvs.insert(uvs.end(), {v.uv.x, v.uv.y});
        }
    }
    out << "    <geometry id=\"" << id << "\" name=\"" << node.name << "\">\n      <mesh>\n";
    floatSource(out, id + "-positions", positions, 3, "XYZ");
    floatSource(out, id + "-normals", normals, 3, "XYZ");
    floatSource(out, id + "-uvs", uvs, 2, "ST");
    out << "        <vertices id=\"" << id << "-vertices\"><input semantic=\"POSITION\" source=\"#" << id
        << "-positions\"/></vertices>\n";
    std::size_t base = 0;
    for (const MeshPart& part : node.parts) {
        out << "        <triangles material=\"m-" << part.material << "\" count=\""
            << part.mesh.triangleCount() << "\">\n          <input semantic=\"VERTEX\" source=\"#" << id
            << "-vertices\" offset=\"0\"/>\n"
            << "          <input semantic=\"NORMAL\" source=\"#" << id << "-normals\" offset=\"0\"/>\n"
            << "          <input semantic=\"TEXCOORD\" source=\"#" << id
            << "-uvs\" offset=\"0\" set=\"0\"/>\n"
            << "          <p>";
        for (std::size_t i = 0; i < part.mesh.indices.size(); ++i)
            out << (i ? " " : "") << base + part.mesh.indices[i];
        out << "</p>\n        </triangles>\n";
        base += part.mesh.vertices.size();
    }
    out << "      </mesh>\n    </geometry>\n";
}

std::string collisionId(const RigidBody& body, std::size_t shape) {
    return "collision-" + body.node + "-" + std::to_string(shape);
}

void writeCollisionGeometry(std::ostream& out, const std::string& id, const Mesh& mesh) {
    std::vector<float> positions;
    for (const MeshVertex& v : mesh.vertices)
        positions.insert(positions.end(), {v.position.x, v.position.y, v.position.z});
    out << "    <geometry id=\"" << id << "\">\n      <mesh>\n";
    floatSource(out, id + "-positions", positions, 3, "XYZ");
    out << "        <vertices id=\"" << id << "-vertices\"><input semantic=\"POSITION\" source=\"#" << id
        << "-positions\"/></vertices>\n        <triangles count=\"" << mesh.triangleCount()
        << "\">\n          <input semantic=\"VERTEX\" source=\"#" << id << "-vertices\" offset=\"0\"/>\n"
        << "          <p>";
    for (std::size_t i = 0; i < mesh.indices.size(); ++i)
        out << (i ? " " : "") << mesh.indices[i];
    out << "</p>\n        </triangles>\n      </mesh>\n    </geometry>\n";
}

void writeGeometries(std::ostream& out, const SceneDescription& scene) {
    bool any = false;
    for (const SceneNode& node : scene.nodes)
        any = any || !node.parts.empty();
    for (const RigidBody& body : scene.bodies) {
        for (const BodyShape& shape : body.shapes)
            any = any || shape.kind == ShapeKind::TriangleMesh;
    }
    if (!any)
        return;
    out << "  <library_geometries>\n";
    for (const SceneNode& node : scene.nodes) {
        if (!node.parts.empty())
            writeVisualGeometry(out, node);
    }
    for (const RigidBody& body : scene.bodies) {
        for (std::size_t s = 0; s < body.shapes.size(); ++s) {
            if (body.shapes[s].kind == ShapeKind::TriangleMesh)
                writeCollisionGeometry(out, collisionId(body, s), body.shapes[s].mesh);
        }
    }
    out << "  </library_geometries>\n";
}

void writeAnimations(std::ostream& out, const SceneDescription& scene) {
    if (scene.animations.empty())
        return;
    // One animation holding every channel, so the importer sees a single clip.
    out << "  <library_animations>\n    <animation id=\"clip\">\n";
    for (std::size_t a = 0; a < scene.animations.size(); ++a) {
        const NodeAnimation& anim = scene.animations[a];
        std::string id = "anim-" + anim.node;
        std::vector<float> times;
        std::vector<float> values;
        for (const NodeKey& key : anim.keys) {
            times.push_back(key.time);
            for (int row = 0; row < 4; ++row) {
                for (int col = 0; col < 4; ++col)
                    values.push_back(key.transform[col][row]);
            }
        }
        out << "      <source id=\"" << id << "-input\">\n        <float_array id=\"" << id
            << "-input-array\" count=\"" << times.size() << "\">";
        for (std::size_t i = 0; i < times.size(); ++i)
            out << (i ? " " : "") << num(times[i]);
        out << "</float_array>\n        <technique_common><accessor source=\"#" << id
            << "-input-array\" count=\"" << times.size()
            << "\" stride=\"1\"><param name=\"TIME\" type=\"float\"/></accessor></technique_common>\n"
            << "      </source>\n";
        out << "      <source id=\"" << id << "-output\">\n        <float_array id=\"" << id
            << "-output-array\" count=\"" << values.size() << "\">";
        for (std::size_t i = 0; i < values.size(); ++i)
            out << (i ? " " : "") << num(values[i]);
        out << "</float_array>\n        <technique_common><accessor source=\"#" << id
            << "-output-array\" count=\"" << times.size()
            << "\" stride=\"16\"><param name=\"TRANSFORM\" "
               "type=\"float4x4\"/></accessor></technique_common>\n"
            << "      </source>\n";
        out << "      <source id=\"" << id << "-interpolation\">\n        <Name_array id=\"" << id
            << "-interpolation-array\" count=\"" << times.size() << "\">";
        for (std::size_t i = 0; i < times.size(); ++i)
            out << (i ? " " : "") << "LINEAR";
        out << "</Name_array>\n        <technique_common><accessor source=\"#" << id
            << "-interpolation-array\" count=\"" << times.size()
            << "\" stride=\"1\"><param name=\"INTERPOLATION\" type=\"name\"/></accessor></technique_common>\n"
            << "      </source>\n";
    }
    for (const NodeAnimation& anim : scene.animations) {
        std::string id = "anim-" + anim.node;
        out << "      <sampler id=\"" << id << "-sampler\"><input semantic=\"INPUT\" source=\"#" << id
            << "-input\"/><input semantic=\"OUTPUT\" source=\"#" << id
            << "-output\"/><input semantic=\"INTERPOLATION\" source=\"#" << id
            << "-interpolation\"/></sampler>\n";
    }
    for (const NodeAnimation& anim : scene.animations)
        out << "      <channel source=\"#anim-" << anim.node << "-sampler\" target=\"" << anim.node
            << "/transform\"/>\n";
    out << "    </animation>\n  </library_animations>\n";
}

void writePhysics(std::ostream& out, const SceneDescription& scene) {
    if (scene.bodies.empty())
        return;
    out << "  <library_physics_models>\n    <physics_model id=\"physics-model\">\n";
    for (const RigidBody& body : scene.bodies) {
        out << "      <rigid_body sid=\"body-" << body.node
            << "\">\n        <technique_common>\n          <dynamic>false</dynamic>\n          "
               "<mass>0</mass>\n";
        for (std::size_t s = 0; s < body.shapes.size(); ++s) {
            const BodyShape& shape = body.shapes[s];
            out << "          <shape>";
            switch (shape.kind) {
            case ShapeKind::Box:
                out << "<box><half_extents>" << vec(shape.halfExtents) << "</half_extents></box>";
                break;
            case ShapeKind::Sphere:
                out << "<sphere><radius>" << num(shape.radius) << "</radius></sphere>";
                break;
            case ShapeKind::TriangleMesh:
                out << "<instance_geometry url=\"#" << collisionId(body, s) << "\"/>";
                break;
            }
            if (shape.kind != ShapeKind::TriangleMesh && shape.offset != glm::vec3(0.0f))
                out << "<translate>" << vec(shape.offset) << "</translate>";
            out << "</shape>\n";
        }
        out << "        </technique_common>\n      </rigid_body>\n";
    }
    out << "    </physics_model>\n  </library_physics_models>\n";
    out << "  <library_physics_scenes>\n    <physics_scene id=\"physics-scene\">\n"
           "      <instance_physics_model url=\"#physics-model\">\n";
    for (const RigidBody& body : scene.bodies)
        out << "        <instance_rigid_body body=\"body-" << body.node << "\" target=\"#" << body.node
            << "\"><technique_common><dynamic>false</dynamic><mass>0</mass></technique_common></"
               "instance_rigid_body>\n";
    out << "      </instance_physics_model>\n      <technique_common><gravity>0 -9.81 0</gravity>"
           "<time_step>0.0166667</time_step></technique_common>\n    </physics_scene>\n"
           "  </library_physics_scenes>\n";
}

void writeVisualScene(std::ostream& out, const SceneDescription& scene) {
    out << "  <library_visual_scenes>\n    <visual_scene id=\"visual-scene\" name=\"" << scene.fileName
        << "\">\n";
    for (const SceneNode& node : scene.nodes) {
        out << "      <node id=\"" << node.name << "\" name=\"" << node.name << "\" type=\"NODE\">\n"
            << "        <matrix sid=\"transform\">" << matrix(node.transform) << "</matrix>\n";
        if (!node.parts.empty()) {
            out << "        <instance_geometry url=\"#geom-" << node.name
                << "\">\n          <bind_material><technique_common>\n";
            for (const MeshPart& part : node.parts)
                out << "            <instance_material symbol=\"m-" << part.material << "\" target=\"#mat-"
                    << part.material
                    << "\"><bind_vertex_input semantic=\"UVMap\" input_semantic=\"TEXCOORD\" "
                       "input_set=\"0\"/>"
                       "</instance_material>\n";
            out << "          </technique_common></bind_material>\n        </instance_geometry>\n";
        }
        out << "      </node>\n";
    }
    out << "    </visual_scene>\n  </library_visual_scenes>\n";
}

} // namespace

std::string ColladaWriter::toText(const SceneDescription& scene) {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n";
    writeAsset(out);
    writeMaterials(out, scene);
    writeGeometries(out, scene);
    writeAnimations(out, scene);
    writePhysics(out, scene);
    writeVisualScene(out, scene);
    out << "  <scene>\n";
    if (!scene.bodies.empty())
        out << "    <instance_physics_scene url=\"#physics-scene\"/>\n";
    out << "    <instance_visual_scene url=\"#visual-scene\"/>\n  </scene>\n</COLLADA>\n";
    return out.str();
}

bool ColladaWriter::write(const SceneDescription& scene, const std::string& path) {
    std::ofstream file(path, std::ios::trunc);
    if (!file) {
        std::fprintf(stderr, "Cannot write %s\n", path.c_str());
        return false;
    }
    file << toText(scene);
    file.close();
    if (!file) {
        std::fprintf(stderr, "Cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}
